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

// The text from its first character that is not blank (after a UTF-8 byte-order mark).
std::span<const std::uint8_t> pastBlanks(std::span<const std::uint8_t> text) {
    std::size_t at = 0;
    if (text.size() >= 3 && text[0] == 0xEF && text[1] == 0xBB && text[2] == 0xBF) at = 3;
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t' || text[at] == '\r' || text[at] == '\n'))
        ++at;
    return text.subspan(at);
}

bool startsLikeHex(std::span<const std::uint8_t> text) {
    const std::span<const std::uint8_t> start = pastBlanks(text);
    return !start.empty() && start[0] == ':';
}

bool namesSrec(const std::string& path) {
    for (const char* extension : {".srec", ".s19", ".s28", ".s37", ".mot"})
        if (hasExtension(path, extension)) return true;
    return false;
}

DecodeStatus srecInto(DecodedImage& decoded, std::span<const std::uint8_t> text) {
    SrecDecodeResult srec = decodeSrec(text);
    decoded.srecFault = srec.fault;
    decoded.error.line = srec.line;
    if (srec.fault == SrecFault::NoMemory) return DecodeStatus::NoMemory;
    if (srec.fault != SrecFault::None) return DecodeStatus::SrecError;
    decoded.image = std::move(srec.image);
    return DecodeStatus::Decoded;
}

DecodeStatus elfInto(DecodedImage& decoded, std::span<const std::uint8_t> bytes, ImageMemory memory) {
    ElfImage elf = decodeElf(bytes);
    decoded.elfFault = elf.fault;
    if (elf.fault == ElfFault::NoMemory) return DecodeStatus::NoMemory;
    if (elf.fault != ElfFault::None) return DecodeStatus::ElfError;
    decoded.image = std::move(memory == ImageMemory::Eeprom ? elf.eeprom : elf.flash);
    return DecodeStatus::Decoded;
}

} // namespace

ImageFormat chooseImageFormat(const std::string& path, std::span<const std::uint8_t> text) {
    if (hasExtension(path, ".hex") || hasExtension(path, ".eep")) return ImageFormat::Hex;
    if (hasExtension(path, ".bin")) return ImageFormat::Binary;
    if (namesSrec(path)) return ImageFormat::Srec;
    if (hasExtension(path, ".elf") || looksLikeElf(text)) return ImageFormat::Elf;
    if (startsLikeHex(text)) return ImageFormat::Hex;
    return looksLikeSrec(pastBlanks(text)) ? ImageFormat::Srec : ImageFormat::Binary;
}

DecodedImage decodeImage(std::span<const std::uint8_t> text, ImageFormat format,
                         const BadChecksumQuestion& acceptBadChecksum, std::span<std::uint8_t> hexArea,
                         ImageMemory memory) {
    DecodedImage decoded;
    decoded.format = format;
    if (format == ImageFormat::Srec) {
        decoded.status = srecInto(decoded, text);
        return decoded;
    }
    if (format == ImageFormat::Elf) {
        decoded.status = elfInto(decoded, text, memory);
        return decoded;
    }
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
