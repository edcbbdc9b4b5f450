// The Project Settings dialog's reset strobe slider: seven positions, each a strobe length.
#pragma once

#include <array>
#include <cstdint>

namespace tovel {

inline constexpr std::array<std::int32_t, 7> kResetStrobeLengthsMs{20, 50, 100, 150, 300, 500, 1000};
inline constexpr int kLastResetStrobePosition = static_cast<int>(kResetStrobeLengthsMs.size()) - 1;

// The first position whose length is at least `lengthMs`; the last position when none is.
constexpr int resetStrobePosition(std::int32_t lengthMs) {
    for (int p = 0; p <= kLastResetStrobePosition; ++p)
        if (kResetStrobeLengthsMs[static_cast<std::size_t>(p)] >= lengthMs) return p;
    return kLastResetStrobePosition;
}

// The length of a position; below the first gives the first length, above the last the last.
constexpr std::int32_t resetStrobeLength(int position) {
    if (position < 0) return kResetStrobeLengthsMs.front();
    if (position > kLastResetStrobePosition) return kResetStrobeLengthsMs.back();
    return kResetStrobeLengthsMs[static_cast<std::size_t>(position)];
}

// A stored length brought onto the slider's scale: 400 gives 500, 0 gives 20, 5000 gives 1000.
constexpr std::int32_t normalizedResetStrobe(std::int32_t lengthMs) {
    return resetStrobeLength(resetStrobePosition(lengthMs));
}

} // namespace tovel
