#include "image/hex_decoder.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "image/hex_digits.h"
#include "image/image_limits.h"

namespace tovel {

namespace {

// Characters after the colon taken by the count, the address, the type and the checksum.
constexpr std::size_t kFrameDigits = 10;

enum RecordType : int {
    Data = 0,
    EndOfFile = 1,
    ExtendedSegmentAddress = 2,
    StartSegmentAddress = 3,
    ExtendedLinearAddress = 4,
    StartLinearAddress = 5,
};

using hex_digits::kDigitValue;

bool isDigit(std::uint8_t c) { return kDigitValue[c] >= 0; }
bool isBlank(std::uint8_t c) { return c == ' ' || c == '\t'; }
bool isLineEnd(std::uint8_t c) { return c == '\r' || c == '\n'; }

// Two digits as a byte, or -1 when either is not a hexadecimal digit.
inline int pairAt(const std::uint8_t* at) {
    const int high = kDigitValue[at[0]];
    const int low = kDigitValue[at[1]];
    return (high | low) < 0 ? -1 : 16 * high + low;
}

HexScan failure(ImageErrorKind kind, std::size_t line, unsigned value = 0) {
    HexScan scan;
    scan.outcome = HexOutcome::Malformed;
    scan.error = {kind, line, value};
    return scan;
}

// Why the digits of a record starting at `from` stop being digits before the record's end: the
// line (or the text) ends first, or a character that is no digit stands in it.
ImageErrorKind brokenRecord(const std::uint8_t* from, const std::uint8_t* textEnd) {
    const std::uint8_t* at = from;
    while (at != textEnd && isDigit(*at)) ++at;
    return at == textEnd || isLineEnd(*at) ? ImageErrorKind::RecordCutShort : ImageErrorKind::NotHexDigit;
}

// What stands after a record's checksum, before its line ends: only blanks are allowed. More
// digits mean an odd digit count (the line holds half a byte more) or a longer line.
ImageErrorKind afterRecord(const std::uint8_t*& at, const std::uint8_t* textEnd) {
    if (at != textEnd && isDigit(*at)) {
        std::size_t extra = 0;
        while (at != textEnd && isDigit(*at)) ++at, ++extra;
        if (extra % 2 != 0 && (at == textEnd || isLineEnd(*at) || isBlank(*at)))
            return ImageErrorKind::OddDigitCount;
        return ImageErrorKind::TrailingCharacters;
    }
    while (at != textEnd && isBlank(*at)) ++at;
    if (at != textEnd && !isLineEnd(*at)) return ImageErrorKind::TrailingCharacters;
    return ImageErrorKind::None;
}

} // namespace

HexScan decodeHexInto(std::span<const std::uint8_t> text, std::span<std::uint8_t> area,
                      const BadChecksumQuestion& acceptBadChecksum) {
    if (area.size() < kMaxImageSize) return {HexOutcome::NoMemory, 0, {}};
    std::uint8_t* const image = area.data();

    // Bytes 0 .. end-1 of the area are always defined: gaps are filled with 0xFF as data
    // records reach past them, so the area never has to be filled as a whole.
    std::size_t end = 0;
    std::uint64_t base = 0;
    bool askChecksum = true;
    std::size_t line = 1;

    const std::uint8_t* cursor = text.data();
    const std::uint8_t* const textEnd = text.data() + text.size();
    if (text.size() >= 3 && cursor[0] == 0xEF && cursor[1] == 0xBB && cursor[2] == 0xBF) cursor += 3;

    for (;;) {
        // Blank lines and blanks before a record; CR LF, LF and a lone CR each end one line.
        while (cursor != textEnd) {
            const std::uint8_t c = *cursor;
            if (c == '\n') {
                ++line, ++cursor;
            } else if (c == '\r') {
                ++line, ++cursor;
                if (cursor != textEnd && *cursor == '\n') ++cursor;
            } else if (isBlank(c)) {
                ++cursor;
            } else {
                break;
            }
        }
        if (cursor == textEnd) return failure(ImageErrorKind::NoEndRecord, line);
        if (*cursor != ':') return failure(ImageErrorKind::NoColon, line);

        const std::uint8_t* const record = cursor + 1;
        const auto available = static_cast<std::size_t>(textEnd - record);
        const int count = available >= 2 ? pairAt(record) : -1;
        if (count < 0 || available < kFrameDigits + 2 * static_cast<std::size_t>(count))
            return failure(brokenRecord(record, textEnd), line);

        const int addressHigh = pairAt(record + 2);
        const int addressLow = pairAt(record + 4);
        const int type = pairAt(record + 6);
        const std::uint8_t* const dataDigits = record + 8;
        const auto byteCount = static_cast<std::size_t>(count);
        const int checksum = pairAt(dataDigits + 2 * byteCount);
        if ((addressHigh | addressLow | type | checksum) < 0)
            return failure(brokenRecord(record, textEnd), line);

        unsigned sum = static_cast<unsigned>(count + addressHigh + addressLow + type + checksum);
        const std::uint64_t first = base + static_cast<std::uint64_t>(256 * addressHigh + addressLow);
        const std::uint64_t last = first + byteCount; // one past the last byte
        if (type == Data) {
            if (last > kMaxImageSize) return failure(ImageErrorKind::BeyondImageArea, line);
            const auto start = static_cast<std::size_t>(first);
            if (start > end) std::memset(image + end, 0xFF, start - end);
            std::uint8_t* out = image + start;
            const std::uint8_t* digits = dataDigits;
            for (std::size_t i = 0; i < byteCount; ++i, digits += 2) {
                const int value = pairAt(digits);
                if (value < 0) return failure(brokenRecord(record, textEnd), line);
                out[i] = static_cast<std::uint8_t>(value);
                sum += static_cast<unsigned>(value);
            }
            end = std::max(end, static_cast<std::size_t>(last));
        } else {
            for (std::size_t i = 0; i < byteCount; ++i) {
                const int value = pairAt(dataDigits + 2 * i);
                if (value < 0) return failure(brokenRecord(record, textEnd), line);
                sum += static_cast<unsigned>(value);
            }
        }

        cursor = dataDigits + 2 * byteCount + 2;
        if (const ImageErrorKind after = afterRecord(cursor, textEnd); after != ImageErrorKind::None)
            return failure(after, line);

        if ((sum & 0xFF) != 0 && askChecksum) {
            if (!acceptBadChecksum || !acceptBadChecksum()) {
                HexScan declined = failure(ImageErrorKind::BadChecksum, line);
                declined.outcome = HexOutcome::ChecksumDeclined;
                return declined;
            }
            askChecksum = false;
        }

        switch (type) {
        case Data:
            break;
        case EndOfFile:
            // Text after the end-of-file record is not part of the image.
            return {HexOutcome::Decoded, end, {}};
        case ExtendedSegmentAddress:
        case ExtendedLinearAddress: {
            if (byteCount != 2) return failure(ImageErrorKind::BadAddressRecord, line);
            const std::uint64_t value = std::uint64_t{256} * static_cast<unsigned>(pairAt(dataDigits)) +
                                        static_cast<unsigned>(pairAt(dataDigits + 2));
            base = type == ExtendedSegmentAddress ? value * 16 : value * 65536;
            break;
        }
        case StartSegmentAddress:
        case StartLinearAddress:
            // Where a program begins: no bytes of the image.
            break;
        default:
            return failure(ImageErrorKind::UnknownRecordType, line, static_cast<unsigned>(type));
        }
    }
}

HexDecodeResult decodeHex(std::span<const std::uint8_t> text, const BadChecksumQuestion& acceptBadChecksum) {
    HexDecodeResult result;
    std::optional<ByteBlock> area = ByteBlock::allocate(kMaxImageSize);
    if (!area) {
        result.outcome = HexOutcome::NoMemory;
        return result;
    }
    const HexScan scan = decodeHexInto(text, area->span(), acceptBadChecksum);
    result.outcome = scan.outcome;
    result.error = scan.error;
    if (scan.outcome != HexOutcome::Decoded) return result;
    if (!area->resize(scan.end, 0xFF)) {
        std::optional<ByteBlock> exact = ByteBlock::copyOf(area->span().first(scan.end));
        if (!exact) {
            result.outcome = HexOutcome::NoMemory;
            return result;
        }
        area = std::move(exact);
    }
    result.image = std::move(*area);
    return result;
}

} // namespace tovel
