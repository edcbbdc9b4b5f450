// Turns the bytes of an image file into an image, in the one format its name (or, for other
// names, its content) chooses: Intel HEX or raw binary. Pure: the caller reads the file and shows
// the notices the result carries. A text that does not decode gives no image at all: nothing is
// ever loaded half, or as the wrong format.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "image/byte_block.h"
#include "image/hex_decoder.h"
#include "image/image_error.h"

namespace tovel {

enum class ImageFormat { Hex, Binary };

// ".hex" and ".eep" (any case) are HEX and ".bin" binary, whatever they hold; any other name is
// HEX when its first character that is not blank (after a UTF-8 byte-order mark) is ':'.
ImageFormat chooseImageFormat(const std::string& path, std::span<const std::uint8_t> text);

enum class DecodeStatus {
    Decoded,          // `image` holds the image (it may be empty: the caller decides)
    HexError,         // "Error in HEX file": `error` says where and why
    ChecksumDeclined, // a bad checksum, and the person would not load the file
    NoMemory,         // "Not enough memory"
};

struct DecodedImage {
    DecodeStatus status = DecodeStatus::NoMemory;
    ImageFormat format = ImageFormat::Binary;
    std::optional<ByteBlock> image;
    ImageError error;
};

// `hexArea`: an image area of kMaxImageSize bytes kept by a caller that decodes many texts;
// without one, the area is allocated for this call.
DecodedImage decodeImage(std::span<const std::uint8_t> text, ImageFormat format,
                         const BadChecksumQuestion& acceptBadChecksum, std::span<std::uint8_t> hexArea = {});

} // namespace tovel
