// Turns a lock/fuse selection into the serial-programming instructions that write it, and the
// bytes read back from a chip into a selection. Pure functions over the constant layouts; the
// board session that sends the instructions is the caller's.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "devices/device_table.h"
#include "devices/fuse_layout.h"
#include "devices/lock_fuse_settings.h"

namespace tovel {

// An instruction sent as is: 4 bytes (the board's SpiInstr4) or 3 bytes (SpiInstr3).
struct SpiInstruction {
    SpiBytes4 bytes{};
    std::uint8_t length = 4; // 3 or 4; only the first `length` bytes are sent

    bool operator==(const SpiInstruction&) const = default;
};

// How lock bits are written, chosen by the device's command-set variant.
enum class LockProcedure {
    Avr,       // variant 0: one 4-byte instruction with LB1, LB2 and the boot lock bits
    Stepped,   // variant 4: one 4-byte instruction per level step
    ThreeByte, // every other variant: one 3-byte instruction
};

LockProcedure lockProcedureFor(SpiVariant spiVariant);

// The write instruction of fuse byte k (1..3); nothing when the layout has no such byte.
std::optional<SpiBytes4> encodeFuseByte(const FuseLayout& layout, int k, const LockFuseSettings& settings);

struct FuseByteWrite {
    int fuseByte; // 1..3
    SpiBytes4 instruction;

    bool operator==(const FuseByteWrite&) const = default;
};

// The write instructions of every fuse byte the layout has, in the order they are sent
// (1, 2, 3). Empty for a layout without fuse bits.
std::vector<FuseByteWrite> encodeFuses(const FuseLayout& layout, const LockFuseSettings& settings);

// The lock instructions to send, in order, for the procedure of spiVariant. Empty when nothing
// is to be written: the AVR procedure at level 0 with no boot lock bit programmed, the stepped
// procedure at level 0, or an unused layout. A lock level outside 0..3 is taken as the nearest one.
std::vector<SpiInstruction> encodeLock(const FuseLayout& layout, SpiVariant spiVariant,
                                       const LockFuseSettings& settings);

struct FuseByteRead {
    int fuseByte; // 1..3
    SpiBytes3 instruction;

    bool operator==(const FuseByteRead&) const = default;
};

// What can be read from a chip of this layout; the chip answers each 3-byte instruction on the
// fourth byte. No lock instruction means the chip's bits cannot be read at all.
struct LockFuseReadPlan {
    std::optional<SpiBytes3> lock;
    std::vector<FuseByteRead> fuses; // in the order 1, 2, 3
};

LockFuseReadPlan readInstructions(const FuseLayout& layout);

using FuseByteValues = std::array<std::uint8_t, kFuseByteCount>; // [k - 1]; bytes not read are ignored

struct DecodedLockFuse {
    LockFuseSettings settings;
    // LB1 unprogrammed with LB2 programmed: the level is taken as 0 and the person is told so.
    bool unrecognizedLockBits = false;
};

// The selection read back: the lock level and boot lock bits from lockByte, the fuse bits from
// fuseBytes. `readable` is set when the layout has a lock-read instruction.
DecodedLockFuse decodeRead(const FuseLayout& layout, std::uint8_t lockByte, const FuseByteValues& fuseBytes);

} // namespace tovel
