// The Intel HEX reader: a strict scanner over text already in memory. It takes every valid file
// (0 to 255 data bytes a record; LF, CRLF or CR line ends; a final line without its end; a UTF-8
// byte-order mark; blank lines and trailing blanks) and refuses anything else with the line and
// the reason, never half an image. It decodes into one preallocated image area and shrinks that
// once at the end, with no allocation per record.
#pragma once

#include <cstdint>
#include <functional>
#include <span>

#include "image/byte_block.h"
#include "image/image_error.h"

namespace tovel {

enum class HexOutcome {
    Decoded,          // every record was valid, up to the end-of-file record
    Malformed,        // "Error in HEX file": `error` says where and why
    ChecksumDeclined, // the person declined to load a file with a bad checksum
    NoMemory,         // the image area could not be had
};

struct HexScan {
    HexOutcome outcome = HexOutcome::Malformed;
    std::size_t end = 0; // the image is bytes 0 .. end-1 of the area (Decoded only)
    ImageError error;    // Malformed only
};

struct HexDecodeResult {
    HexOutcome outcome = HexOutcome::Malformed;
    ByteBlock image; // addresses 0 up to the highest data byte; gaps are 0xFF (Decoded only)
    ImageError error;
};

// Asked at most once per text, at the first record whose checksum is wrong: true to go on as
// HEX (later bad checksums are then accepted silently), false to load nothing.
using BadChecksumQuestion = std::function<bool()>;

// Decodes into a caller's image area of kMaxImageSize bytes (a smaller one gives NoMemory),
// allocating nothing. Bytes of the area beyond `end` are left as they were.
HexScan decodeHexInto(std::span<const std::uint8_t> text, std::span<std::uint8_t> area,
                      const BadChecksumQuestion& acceptBadChecksum);

// Decodes into a fresh image area, which is then shrunk to the image.
HexDecodeResult decodeHex(std::span<const std::uint8_t> text, const BadChecksumQuestion& acceptBadChecksum);

} // namespace tovel
