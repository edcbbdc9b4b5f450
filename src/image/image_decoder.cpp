#include "image/image_decoder.h"

#include <algorithm>

#include "image/image_limits.h"

namespace tovel {

namespace {

HexDecodeResult decodeHexIn(std::span<const std::uint8_t> text, const BadChecksumQuestion& acceptBadChecksum,
                            std::span<std::uint8_t> hexArea) {
    if (hexArea.empty()) return decodeHex(text, acceptBadChecksum);
    HexDecodeResult result;
    const HexScan scan = decodeHexInto(text, hexArea, acceptBadChecksum);
    result.outcome = scan.outcome;
    if (scan.outcome == HexOutcome::Decoded) {
        std::optional<ByteBlock> image = ByteBlock::copyOf(hexArea.first(scan.end));
        if (image)
            result.image = std::move(*image);
        else
            result.outcome = HexOutcome::NoMemory;
    }
    return result;
}

} // namespace

DecodedImage decodeImage(std::span<const std::uint8_t> text, bool binaryByName,
                         const BadChecksumQuestion& acceptBadChecksum, std::span<std::uint8_t> hexArea) {
    DecodedImage decoded;
    if (!binaryByName) {
        HexDecodeResult hex = decodeHexIn(text, acceptBadChecksum, hexArea);
        if (hex.outcome == HexOutcome::Decoded) {
            decoded.image = std::move(hex.image);
            decoded.format = ImageFormat::Hex;
            return decoded;
        }
        decoded.hexAreaNoMemory = hex.outcome == HexOutcome::NoMemory;
        decoded.hexError = hex.outcome == HexOutcome::Malformed;
    }
    decoded.image = ByteBlock::copyOf(text.first(std::min(text.size(), kMaxImageSize)));
    decoded.binaryNoMemory = !decoded.image.has_value();
    return decoded;
}

} // namespace tovel
