// The history of one byte of a memory buffer, one attribute byte per data byte; the preview
// colours bytes by it.
#pragma once

#include <cstdint>

namespace tovel {

enum class ByteAttribute : std::uint8_t {
    Loaded = 0,          // as loaded from the file
    Saved = 1,           // as saved to the file
    Programmed = 2,      // handed to the chip by a programming run
    Verified = 3,        // found equal by a verify run
    ReadFromChip = 4,    // read from the chip
    NotConfirmed = 5,    // not (yet) confirmed by a programming or verify run
    ChangedInMemory = 6, // edited in the preview or changed by auto-increment
};

} // namespace tovel
