// The AVR ELF reader (read only, through libelf): the loadable sections at their load addresses
// as the Flash image, the ".eeprom" section (at 0x810000 in the AVR memory map) as the EEPROM
// image, and the bytes of ".fuse", ".lock" and ".signature" as they stand. An ELF file for
// another architecture, or one with nothing to load into Flash or EEPROM, is refused.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "image/byte_block.h"

namespace tovel {

enum class ElfFault {
    None,
    NotElf,            // libelf does not take the bytes as an ELF object
    OtherArchitecture, // not a 32-bit AVR object
    NothingLoadable,   // no section with contents for Flash or EEPROM
    Damaged,           // a section lies outside the file, or libelf cannot read it
    OutsideImage,      // data at or beyond the largest image
    NoMemory,
};

struct ElfImage {
    ElfFault fault = ElfFault::None;
    ByteBlock flash;  // addresses 0 up to the highest loaded byte; gaps are 0xFF
    ByteBlock eeprom; // the same for EEPROM; empty when the file has none
    // The raw contents of the special sections, when present: fuse bytes low, high, extended;
    // the lock byte; the signature as the toolchain stores it (last byte first).
    std::optional<std::vector<std::uint8_t>> fuse;
    std::optional<std::vector<std::uint8_t>> lock;
    std::optional<std::vector<std::uint8_t>> signature;
};

// The first four bytes of an ELF object.
bool looksLikeElf(std::span<const std::uint8_t> bytes);

ElfImage decodeElf(std::span<const std::uint8_t> bytes);

} // namespace tovel
