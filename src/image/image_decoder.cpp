#include "image/image_decoder.h"

#include <algorithm>

#include "image/image_file_names.h"

namespace tovel {

namespace {

HexDecodeResult decodeHexIn(std::span<const std::uint8_t> text, const BadChecksumQuestion& acceptBadChecksum,
                            std::span<std::uint8_t> hexArea) {
    if (hexArea.empty()) return decodeHex(text, acceptBadChecksum);
    HexDecodeResult result;
    const HexScan scan = decodeHexInto(text, hexArea, acceptBadChecksum);
    result.outcome = scan.outcome;
    result.error = scan.error;
    if (scan.outcome == HexOutcome::Decoded) {
        std::optional<ByteBlock> image = ByteBlock::copyOf(hexArea.first(scan.end));
        if (image)
            result.image = std::move(*image);
        else
            result.outcome = HexOutcome::NoMemory;
    }
    return result;
}

bool startsLikeHex(std::span<const std::uint8_t> text) {
    std::size_t at = 0;
    if (text.size() >= 3 && text[0] == 0xEF && text[1] == 0xBB && text[2] == 0xBF) at = 3;
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t' || text[at] == '\r' || text[at] == '\n'))
        ++at;
    return at < text.size() && text[at] == ':';
}

} // namespace

ImageFormat chooseImageFormat(const std::string& path, std::span<const std::uint8_t> text) {
    if (hasExtension(path, ".hex") || hasExtension(path, ".eep")) return ImageFormat::Hex;
    if (hasExtension(path, ".bin")) return ImageFormat::Binary;
    return startsLikeHex(text) ? ImageFormat::Hex : ImageFormat::Binary;
}

DecodedImage decodeImage(std::span<const std::uint8_t> text, ImageFormat format,
                         const BadChecksumQuestion& acceptBadChecksum, std::span<std::uint8_t> hexArea) {
    DecodedImage decoded;
    decoded.format = format;
    if (format == ImageFormat::Binary) {
        decoded.image = ByteBlock::copyOf(text);
        decoded.status = decoded.image ? DecodeStatus::Decoded : DecodeStatus::NoMemory;
        return decoded;
    }
    HexDecodeResult hex = decodeHexIn(text, acceptBadChecksum, hexArea);
    decoded.error = hex.error;
    switch (hex.outcome) {
    case HexOutcome::Decoded:
        decoded.status = DecodeStatus::Decoded;
        decoded.image = std::move(hex.image);
        break;
    case HexOutcome::Malformed:
        decoded.status = DecodeStatus::HexError;
        break;
    case HexOutcome::ChecksumDeclined:
        decoded.status = DecodeStatus::ChecksumDeclined;
        break;
    case HexOutcome::NoMemory:
        decoded.status = DecodeStatus::NoMemory;
        break;
    }
    return decoded;
}

} // namespace tovel
