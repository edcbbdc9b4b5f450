// One lock/fuse selection: the lock level and which fuse and boot lock bits are programmed.
// "Programmed" means the chip holds 0 there; a set flag here means programmed.
#pragma once

#include <array>
#include <cstdint>

namespace tovel {

constexpr int kLockLevelCount = 4;

// Lock levels run 0..3; a value from a damaged project file is brought into that range, so it can
// neither index a label table nor turn into a run of extra lock instructions.
constexpr std::int32_t normalizedLockMode(std::int32_t mode) { return mode < 0 ? 0 : (mode > 3 ? 3 : mode); }

struct LockFuseSettings {
    std::uint8_t readable = 0; // values came from (or went to) a chip with a lock-read instruction
    std::int32_t lockMode = 0; // 0..3
    std::array<std::uint8_t, 32> fuse{};
    std::array<std::uint8_t, 16> bootLock{};

    bool operator==(const LockFuseSettings&) const = default;
};

} // namespace tovel
