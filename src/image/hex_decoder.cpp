#include "image/hex_decoder.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "image/image_limits.h"

namespace tovel {

namespace {

// A record line holds at most this many characters between the colon and the line feed.
constexpr std::size_t kMaxLineLength = 80;
constexpr unsigned kMaxByteCount = 1024;

// Characters after the colon taken by the count, the address and the type.
constexpr std::size_t kHeaderLength = 8;

enum RecordType : int {
    EndOfFile = 1,
    ExtendedSegmentAddress = 2,
    StartSegmentAddress = 3,
    ExtendedLinearAddress = 4,
    StartLinearAddress = 5,
};

constexpr std::array<std::int8_t, 256> makeDigitValues() {
    std::array<std::int8_t, 256> values{};
    for (int c = 0; c < 256; ++c) {
        if (c >= '0' && c <= '9')
            values[c] = static_cast<std::int8_t>(c - '0');
        else if (c >= 'a' && c <= 'f')
            values[c] = static_cast<std::int8_t>(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F')
            values[c] = static_cast<std::int8_t>(c - 'A' + 10);
        else
            values[c] = -1;
    }
    return values;
}
constexpr std::array<std::int8_t, 256> kDigitValue = makeDigitValues();

// Two characters as 16 x first + second. A character that is not a hexadecimal digit counts as
// -1, so a field with such characters is negative or off, and the checks below catch it.
inline int pairAt(const std::uint8_t* at) { return 16 * kDigitValue[at[0]] + kDigitValue[at[1]]; }

HexScan finish(HexOutcome outcome) { return {outcome, 0}; }

} // namespace

HexScan decodeHexInto(std::span<const std::uint8_t> text, std::span<std::uint8_t> area,
                      const BadChecksumQuestion& acceptBadChecksum) {
    if (area.size() < kMaxImageSize) return finish(HexOutcome::NoMemory);
    std::uint8_t* const image = area.data();

    // Bytes 0 .. end-1 of the area are always defined: gaps are filled with 0xFF as data
    // records reach past them, so the area never has to be filled as a whole.
    std::size_t end = 0;
    std::int64_t base = 0;
    bool askChecksum = true;

    const std::uint8_t* cursor = text.data();
    const std::uint8_t* const textEnd = text.data() + text.size();
    for (;;) {
        if (cursor == textEnd || *cursor != ':') return finish(HexOutcome::NotHex);
        const std::uint8_t* const line = cursor + 1;
        const std::size_t searchLength =
            std::min(static_cast<std::size_t>(textEnd - line), kMaxLineLength + 1);
        const auto* lineFeed = static_cast<const std::uint8_t*>(std::memchr(line, '\n', searchLength));
        if (lineFeed == nullptr) return finish(HexOutcome::NotHex);
        const auto lineLength = static_cast<std::size_t>(lineFeed - line);
        cursor = lineFeed + 1;

        if (lineLength < kHeaderLength) return finish(HexOutcome::Malformed);
        const int count = pairAt(line);
        const int addressHigh = pairAt(line + 2);
        const int addressLow = pairAt(line + 4);
        const int type = pairAt(line + 6);
        if (static_cast<unsigned>(count) > kMaxByteCount) return finish(HexOutcome::Malformed);

        if (type == EndOfFile) break;
        if (type == ExtendedSegmentAddress || type == ExtendedLinearAddress) {
            if (lineLength < kHeaderLength + 4) return finish(HexOutcome::Malformed);
            const std::int64_t value = 256 * pairAt(line + 8) + pairAt(line + 10);
            base = type == ExtendedSegmentAddress ? value * 16 : value * 65536;
            continue;
        }
        // Start addresses say where a program begins; they hold no bytes of the image.
        if (type == StartSegmentAddress || type == StartLinearAddress) continue;

        // Any other type is a data record.
        const auto byteCount = static_cast<std::size_t>(count);
        if (lineLength < kHeaderLength + 2 * byteCount + 2) return finish(HexOutcome::Malformed);
        const std::int64_t first = 256 * addressHigh + addressLow + base;
        const std::int64_t last = first + count; // one past the last byte
        if (first < 0 || last > static_cast<std::int64_t>(kMaxImageSize))
            return finish(HexOutcome::Malformed);

        const auto start = static_cast<std::size_t>(first);
        if (start > end) std::memset(image + end, 0xFF, start - end);
        unsigned sum = static_cast<unsigned>(count + addressHigh + addressLow + type);
        const std::uint8_t* digits = line + kHeaderLength;
        std::uint8_t* out = image + start;
        for (std::size_t i = 0; i < byteCount; ++i, digits += 2) {
            const int value = pairAt(digits);
            out[i] = static_cast<std::uint8_t>(value);
            sum += static_cast<unsigned>(value);
        }
        end = std::max(end, static_cast<std::size_t>(last));
        sum += static_cast<unsigned>(pairAt(digits));
        if ((sum & 0xFF) != 0 && askChecksum) {
            if (!acceptBadChecksum || !acceptBadChecksum()) return finish(HexOutcome::ChecksumDeclined);
            askChecksum = false;
        }
    }

    // Text after the end-of-file record is ignored.
    return {HexOutcome::Decoded, end};
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
