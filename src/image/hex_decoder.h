// The Intel HEX reader: a strict line scanner over text already in memory. It decodes in place
// into one preallocated image area and shrinks that once at the end, with no allocation per
// record.
#pragma once

#include <cstdint>
#include <functional>
#include <span>

#include "image/byte_block.h"

namespace tovel {

enum class HexOutcome {
    Decoded,          // the text was HEX up to its end-of-file record
    NotHex,           // not HEX text at all (no ":", a line too long or without line feed)
    Malformed,        // "Error in HEX file": byte count above 1024, data outside the image area,
                      // or a record shorter than its own fields
    ChecksumDeclined, // the person declined to load a file with a bad checksum as HEX
    NoMemory,         // the image area could not be had
};

struct HexScan {
    HexOutcome outcome = HexOutcome::NotHex;
    std::size_t end = 0; // the image is bytes 0 .. end-1 of the area (Decoded only)
};

struct HexDecodeResult {
    HexOutcome outcome = HexOutcome::NotHex;
    ByteBlock image; // addresses 0 up to the highest data byte; gaps are 0xFF (Decoded only)
};

// Asked at most once per text, at the first data record whose checksum is wrong: true to go on
// as HEX (later bad checksums are then accepted silently), false to give up on HEX.
using BadChecksumQuestion = std::function<bool()>;

// Decodes into a caller's image area of kMaxImageSize bytes (a smaller one gives NoMemory),
// allocating nothing. Bytes of the area beyond `end` are left as they were.
HexScan decodeHexInto(std::span<const std::uint8_t> text, std::span<std::uint8_t> area,
                      const BadChecksumQuestion& acceptBadChecksum);

// Decodes into a fresh image area, which is then shrunk to the image.
HexDecodeResult decodeHex(std::span<const std::uint8_t> text, const BadChecksumQuestion& acceptBadChecksum);

} // namespace tovel
