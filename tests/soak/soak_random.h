// The soak's one source of chance: a seeded generator whose draws do not depend on the standard
// library's distributions, so a seed replays the same runs everywhere.
#pragma once

#include <cstdint>

namespace tovel::soak {

class SoakRandom {
public:
    explicit SoakRandom(std::uint64_t seed) : state_(seed) {}

    std::uint64_t next() { // splitmix64
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // A whole number in [low, high].
    std::uint64_t between(std::uint64_t low, std::uint64_t high) {
        return high <= low ? low : low + next() % (high - low + 1);
    }
    bool chance(unsigned percent) { return next() % 100 < percent; }
    std::uint8_t byte() { return static_cast<std::uint8_t>(next()); }

private:
    std::uint64_t state_;
};

// The seed of run `index` under the soak's seed: runs can be replayed one at a time.
inline std::uint64_t runSeed(std::uint64_t soakSeed, std::uint64_t index) {
    SoakRandom mix(soakSeed ^ (index * 0xD1B54A32D192ED03ull));
    return mix.next();
}

} // namespace tovel::soak
