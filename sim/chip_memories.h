// A copy of everything a simulated chip stores, for tests, the state file and the host API.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace tovel::sim {

struct ChipMemories {
    std::vector<std::uint8_t> flash;                     // AVR/AT89 program memory; AT45: the whole array
    std::vector<std::uint8_t> eeprom;                    // AVR/AT89 data EEPROM; AT25: the serial EEPROM
    std::array<std::uint8_t, 3> fuses{0xFF, 0xFF, 0xFF}; // low, high, extended (1 = unprogrammed)
    std::uint8_t lock = 0xFF;                            // AVR lock byte / AT89 lock bits (1 = unprogrammed)
    std::array<std::uint8_t, 4> calibration{0xFF, 0xFF, 0xFF, 0xFF};

    bool operator==(const ChipMemories&) const = default;
};

} // namespace tovel::sim
