#include "image/image_decoder.h"

#include <algorithm>

#include "image/image_limits.h"

namespace tovel {

DecodedImage decodeImage(std::span<const std::uint8_t> text, bool binaryByName,
                         const BadChecksumQuestion& acceptBadChecksum) {
    DecodedImage decoded;
    if (!binaryByName) {
        HexDecodeResult hex = decodeHex(text, acceptBadChecksum);
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
