#include "devices/lock_fuse_codec.h"

#include "devices/device_table.h"

namespace tovel {

namespace {

// A programmed bit holds 0 in the chip.
void writeBit(SpiBytes4& bytes, InstructionBit where, bool programmed) {
    if (!where.present() || where.byte > bytes.size()) return;
    std::uint8_t& byte = bytes[where.byte - 1u];
    const auto mask = static_cast<std::uint8_t>(1u << where.bit);
    byte = programmed ? static_cast<std::uint8_t>(byte & ~mask) : static_cast<std::uint8_t>(byte | mask);
}

bool holdsZero(std::uint8_t value, int bit) { return bit != kNoBit && ((value >> bit) & 1u) == 0; }
bool holdsOne(std::uint8_t value, int bit) { return bit != kNoBit && ((value >> bit) & 1u) != 0; }

bool anyBootLockProgrammed(const FuseLayout& layout, const LockFuseSettings& settings) {
    for (int i = 0; i < layout.bootLockCount; ++i)
        if (settings.bootLock[static_cast<std::size_t>(i)] != 0) return true;
    return false;
}

// LB1 and LB2 by level: 0 neither, 1 LB1, 2 and 3 both.
SpiInstruction avrLockInstruction(const FuseLayout& layout, std::int32_t level,
                                  const LockFuseSettings& settings) {
    SpiBytes4 bytes = layout.lockWrite;
    writeBit(bytes, layout.lockWriteBits[Lb1], level >= 1);
    writeBit(bytes, layout.lockWriteBits[Lb2], level >= 2);
    for (int i = 0; i < layout.bootLockCount; ++i) {
        const BootLockBit& boot = layout.bootLockBits[static_cast<std::size_t>(i)];
        writeBit(bytes, {4, boot.bit}, settings.bootLock[static_cast<std::size_t>(i)] != 0);
    }
    return {bytes, 4};
}

// Each step programs one more lock bit; the chip keeps the earlier ones. Rows whose layout holds
// another scheme's template (AT89S2051, AT89S4051, AT89S8253 share the three-byte layout) step
// through the four-byte chips' own instruction: AC FF FF FF would leave them unlocked while the
// steps are acknowledged and reported as programmed.
std::vector<SpiInstruction> steppedLockInstructions(const FuseLayout& layout, std::int32_t level) {
    std::vector<SpiInstruction> steps;
    for (std::int32_t step = 1; step <= level; ++step) {
        const SpiBytes4& t = layout.lockScheme == LockScheme::Stepped ? layout.lockWrite : kSteppedLockWrite;
        steps.push_back({{t[0], static_cast<std::uint8_t>(t[1] | step), t[2], 0xFF}, 4});
    }
    return steps;
}

// The slots fill from LB3 down: level 1 programs LB3, level 3 all three.
SpiInstruction threeByteLockInstruction(const FuseLayout& layout, std::int32_t level) {
    SpiBytes4 bytes = layout.lockWrite;
    writeBit(bytes, layout.lockWriteBits[Lb1], level >= 3);
    writeBit(bytes, layout.lockWriteBits[Lb2], level >= 2);
    writeBit(bytes, layout.lockWriteBits[Lb3], level >= 1);
    bytes[3] = 0;
    return {bytes, 3};
}

std::int32_t decodeLockLevel(const FuseLayout& layout, std::uint8_t lockByte, bool& unrecognized) {
    const LockReadInstruction& read = *layout.lockRead;
    if (layout.lockScheme == LockScheme::Stepped) {
        // This chip reports a programmed lock bit as 1; the highest one gives the level.
        if (holdsOne(lockByte, read.bits[Lb3])) return 3;
        if (holdsOne(lockByte, read.bits[Lb2])) return 2;
        if (holdsOne(lockByte, read.bits[Lb1])) return 1;
        return 0;
    }
    const bool lb1 = holdsZero(lockByte, read.bits[Lb1]);
    const bool lb2 = holdsZero(lockByte, read.bits[Lb2]);
    if (lb1 && lb2) return 2;
    if (lb1) return 1;
    unrecognized = lb2;
    return 0;
}

} // namespace

LockProcedure lockProcedureFor(SpiVariant spiVariant) {
    if (spiVariant == SpiVariant::Avr) return LockProcedure::Avr;
    if (spiVariant == SpiVariant::At89S51) return LockProcedure::Stepped;
    return LockProcedure::ThreeByte;
}

std::optional<SpiBytes4> encodeFuseByte(const FuseLayout& layout, int k, const LockFuseSettings& settings) {
    const std::optional<FuseByteInstructions>& fuseByte = layout.fuseByte(k);
    if (!fuseByte) return std::nullopt;
    SpiBytes4 bytes = fuseByte->write;
    for (int i = 0; i < layout.fuseCount; ++i) {
        const FuseBit& bit = layout.fuseBits[static_cast<std::size_t>(i)];
        if (bit.fuseByte == k) writeBit(bytes, {4, bit.bit}, settings.fuse[static_cast<std::size_t>(i)] != 0);
    }
    return bytes;
}

std::vector<FuseByteWrite> encodeFuses(const FuseLayout& layout, const LockFuseSettings& settings) {
    std::vector<FuseByteWrite> writes;
    for (int k = 1; k <= kFuseByteCount; ++k)
        if (std::optional<SpiBytes4> bytes = encodeFuseByte(layout, k, settings))
            writes.push_back({k, *bytes});
    return writes;
}

std::vector<SpiInstruction> encodeLock(const FuseLayout& layout, SpiVariant spiVariant,
                                       const LockFuseSettings& settings) {
    if (!layout.inUse()) return {};
    const std::int32_t level = normalizedLockMode(settings.lockMode);
    switch (lockProcedureFor(spiVariant)) {
    case LockProcedure::Avr:
        if (level == 0 && !anyBootLockProgrammed(layout, settings)) return {};
        return {avrLockInstruction(layout, level, settings)};
    case LockProcedure::Stepped:
        return steppedLockInstructions(layout, level);
    case LockProcedure::ThreeByte:
        return {threeByteLockInstruction(layout, level)};
    }
    return {};
}

LockFuseReadPlan readInstructions(const FuseLayout& layout) {
    LockFuseReadPlan plan;
    if (!layout.lockRead) return plan; // a chip that cannot report its lock bits is not read at all
    plan.lock = layout.lockRead->instruction;
    for (int k = 1; k <= kFuseByteCount; ++k)
        if (const std::optional<FuseByteInstructions>& fuseByte = layout.fuseByte(k))
            plan.fuses.push_back({k, fuseByte->read});
    return plan;
}

DecodedLockFuse decodeRead(const FuseLayout& layout, std::uint8_t lockByte, const FuseByteValues& fuseBytes) {
    DecodedLockFuse decoded;
    LockFuseSettings& settings = decoded.settings;
    if (layout.lockRead) {
        settings.readable = 1;
        settings.lockMode = decodeLockLevel(layout, lockByte, decoded.unrecognizedLockBits);
        for (int i = 0; i < layout.bootLockCount; ++i) {
            const BootLockBit& boot = layout.bootLockBits[static_cast<std::size_t>(i)];
            settings.bootLock[static_cast<std::size_t>(i)] = holdsZero(lockByte, boot.bit) ? 1 : 0;
        }
    }
    for (int i = 0; i < layout.fuseCount; ++i) {
        const FuseBit& bit = layout.fuseBits[static_cast<std::size_t>(i)];
        if (bit.fuseByte < 1 || bit.fuseByte > kFuseByteCount) continue;
        settings.fuse[static_cast<std::size_t>(i)] = holdsZero(fuseBytes[bit.fuseByte - 1u], bit.bit) ? 1 : 0;
    }
    return decoded;
}

} // namespace tovel
