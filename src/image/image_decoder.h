// Turns the bytes of an image file into an image: Intel HEX when the text is HEX, otherwise the
// raw bytes. Pure: the caller reads the file and shows the notices the result carries.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "image/byte_block.h"
#include "image/hex_decoder.h"

namespace tovel {

enum class ImageFormat { Hex, Binary };

struct DecodedImage {
    // Nothing only when there was no memory for the binary copy.
    std::optional<ByteBlock> image;
    ImageFormat format = ImageFormat::Binary;
    // Notices for the person, in the order they arose: the HEX attempt's ("Not enough memory"
    // or "Error in HEX file", never both), then the binary copy's "Not enough memory".
    bool hexAreaNoMemory = false;
    bool hexError = false;
    bool binaryNoMemory = false;
};

// `binaryByName`: the file's name says binary (".bin"), so HEX is not tried. A failed HEX
// attempt always falls back to binary, which takes the first kMaxImageSize bytes of the text.
// `hexArea`: an image area of kMaxImageSize bytes kept by a caller that decodes many texts;
// without one, the area is allocated for this call.
DecodedImage decodeImage(std::span<const std::uint8_t> text, bool binaryByName,
                         const BadChecksumQuestion& acceptBadChecksum, std::span<std::uint8_t> hexArea = {});

} // namespace tovel
