// The Motorola S-record reader: a strict line scanner over text already in memory. Every record
// is checked (type, digits, byte count against the line's length, checksum, the record count of
// S5/S6), and the text must end its data with an S7, S8 or S9 record or, as writers do for
// images without a start address, with a matching S5/S6 count: a text cut short at a line end
// is refused. It decodes everything or nothing: the first fault ends it with the fault and its
// line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "image/byte_block.h"

namespace tovel {

enum class SrecFault {
    None,
    NotSrec,        // a line that is not blank and does not start with "S" and a type digit
    BadRecordType,  // S4, or a type that is not a digit
    BadDigit,       // a character that is not a hexadecimal digit
    BadLength,      // the byte count does not match the line, or is too small for its type
    BadChecksum,    // the record's checksum is wrong
    OutsideImage,   // data at or beyond the largest image
    BadRecordCount, // an S5/S6 count that differs from the data records before it
    NoTermination,  // the text ends without an S7, S8 or S9 record or a final S5/S6 count
    NoMemory,       // the image area could not be had
};

struct SrecDecodeResult {
    SrecFault fault = SrecFault::None;
    std::size_t line = 0;               // the 1-based line of the fault (0 when it has none)
    ByteBlock image;                    // addresses 0 up to the highest data byte; gaps are 0xFF
    std::optional<std::uint32_t> entry; // the start address of the termination record
};

struct SrecScan {
    SrecFault fault = SrecFault::None;
    std::size_t line = 0;
    std::size_t end = 0; // the image is bytes 0 .. end-1 of the area (no fault only)
    std::optional<std::uint32_t> entry;
};

// Decodes into a caller's image area of kMaxImageSize bytes (a smaller one gives NoMemory),
// allocating nothing. Bytes of the area beyond `end` are left as they were.
SrecScan decodeSrecInto(std::span<const std::uint8_t> text, std::span<std::uint8_t> area);

// Decodes into a fresh image area of kMaxImageSize bytes, shrunk to the image at the end.
SrecDecodeResult decodeSrec(std::span<const std::uint8_t> text);

// Whether a text looks like S-records (its first character is "S" and the second a digit), for
// choosing the format of a file whose name does not say it.
bool looksLikeSrec(std::span<const std::uint8_t> text);

} // namespace tovel
