// Sizes and identity of a chip in the socket.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace tovel::sim {

struct ChipGeometry {
    std::size_t flashBytes = 0;    // AT45: the whole array, every page of its full size
    std::size_t eepromBytes = 0;   // AT25: the memory itself
    std::size_t pageBytes = 0;     // AVR Flash page (0: byte-write part); AT25 write page; AT45 page
    unsigned pageAddressShift = 0; // AT45: page number << (8 + shift) is the 24-bit address
    std::array<std::uint8_t, 3> signature{0xFF, 0xFF, 0xFF};
};

} // namespace tovel::sim
