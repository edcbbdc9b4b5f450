// The lock and fuse bit layouts: for each layout index a device row refers to, the names and
// positions of its bits and the serial-programming instructions that write and read them.
// Constant data; the bytes of every instruction live here and nowhere else.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace tovel {

using SpiBytes4 = std::array<std::uint8_t, 4>;

// Write Lock Bits of the four-byte AT89S chips: the step (1, 2, 3 for LB1, LB2, LB3) goes into
// the low bits of byte 2.
inline constexpr SpiBytes4 kSteppedLockWrite{0xAC, 0xE0, 0x00, 0xFF};
using SpiBytes3 = std::array<std::uint8_t, 3>;

// How a layout's lock bits are laid out. Which write procedure runs is chosen by the
// device's command-set variant (see lockProcedureFor), not by the scheme.
enum class LockScheme : std::uint8_t {
    None,      // unused layout index
    Avr,       // AC FF FF FF, read 58 00 00
    Avr161,    // as Avr, read 58 FF FF
    Tiny,      // AC FF 00 00, read 58 FF FF
    Classic,   // AC E0 00 00, not readable
    Stepped,   // one instruction per level step, read 24 00 00
    ThreeByte, // AC FF FF sent as three bytes, not readable
};

// Lock bits LB1, LB2, LB3 as indexes into the per-lock-bit arrays below.
enum LockBitIndex { Lb1 = 0, Lb2 = 1, Lb3 = 2 };

// A bit inside a 4-byte instruction: byte 1..4, bit 0..7. byte 0 means "no such bit".
struct InstructionBit {
    std::uint8_t byte = 0;
    std::uint8_t bit = 0;

    constexpr bool present() const { return byte != 0; }
};

constexpr int kNoBit = -1;

struct LockReadInstruction {
    SpiBytes3 instruction{};                         // the chip answers with the lock byte on the fourth byte
    std::array<int, 3> bits{kNoBit, kNoBit, kNoBit}; // LB1, LB2, LB3 in the answer; kNoBit = absent
};

// A boot lock bit sits at `bit` both in byte 4 of the lock write and in the lock byte read back.
struct BootLockBit {
    const char* name = nullptr;
    std::uint8_t bit = 0;
};

enum class RequiredState : std::int8_t { MustBeUnprogrammed = -1, Free = 0, MustBeProgrammed = 1 };

// A fuse bit sits at `bit` both in byte 4 of its fuse byte's write and in the byte read back.
struct FuseBit {
    const char* name = nullptr;
    std::uint8_t fuseByte = 0; // 1 low, 2 high, 3 extended
    std::uint8_t bit = 0;
    RequiredState required = RequiredState::Free;
};

struct FuseByteInstructions {
    SpiBytes4 write{}; // byte 4 is replaced by the computed fuse byte
    SpiBytes3 read{};
};

constexpr int kFuseByteCount = 3;
constexpr int kMaxFuseBits = 24; // the dialog's room
constexpr int kMaxBootLockBits = 4;

struct FuseLayout {
    LockScheme lockScheme = LockScheme::None;
    SpiBytes4 lockWrite{};                         // for ThreeByte only the first three bytes are sent
    std::array<InstructionBit, 3> lockWriteBits{}; // LB1, LB2, LB3
    std::optional<LockReadInstruction> lockRead;
    int bootLockCount = 0; // 0 or 4
    std::array<BootLockBit, kMaxBootLockBits> bootLockBits{};
    // In dialog and project-key order: fuse byte 1 from bit 0 upward, then byte 2, then byte 3.
    int fuseCount = 0;
    std::array<FuseBit, kMaxFuseBits> fuseBits{};
    std::array<std::optional<FuseByteInstructions>, kFuseByteCount> fuseBytes{}; // [k - 1]

    bool inUse() const { return lockScheme != LockScheme::None; }
    bool hasLockRead() const { return lockRead.has_value(); }
    // Fuse byte k (1..3), or nothing when the layout has no such byte or k is out of range.
    const std::optional<FuseByteInstructions>& fuseByte(int k) const;
};

constexpr int kFuseLayoutCount = 33;

// The layout at this index; null when the index is outside 0..32 or no device uses it.
const FuseLayout* fuseLayoutAt(int index);

// The layout of device row deviceNo; null for a row outside the table or a chip without
// lock/fuse bits. Safe for any value, including one read from a damaged project file.
const FuseLayout* layoutOf(int deviceNo);

} // namespace tovel
