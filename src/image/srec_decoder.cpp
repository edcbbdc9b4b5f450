#include "image/srec_decoder.h"

#include <array>
#include <cstring>

#include "image/hex_digits.h"
#include "image/image_limits.h"

namespace tovel {

namespace {

using hex_digits::kDigitValue;

// Characters before the first byte: "S", the type digit, the count pair.
constexpr std::size_t kRecordHead = 4;

// Address bytes of each record type; 0 for the reserved S4.
constexpr std::array<std::size_t, 10> kAddressBytes{2, 2, 3, 4, 0, 2, 3, 4, 3, 2};

bool isBlank(const std::uint8_t* at, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i)
        if (at[i] != ' ' && at[i] != '\t') return false;
    return true;
}

bool isData(int type) { return type >= 1 && type <= 3; }
bool isTermination(int type) { return type >= 7; }
bool isCount(int type) { return type == 5 || type == 6; }

class SrecScanner {
public:
    SrecScanner(std::span<const std::uint8_t> text, std::uint8_t* image) : text_(text), image_(image) {}

    SrecScan scan() {
        std::size_t position = 0;
        while (position < text_.size()) {
            ++line_;
            const std::uint8_t* start = text_.data() + position;
            const std::size_t rest = text_.size() - position;
            const auto* feed = static_cast<const std::uint8_t*>(std::memchr(start, '\n', rest));
            std::size_t length = feed != nullptr ? static_cast<std::size_t>(feed - start) : rest;
            position += feed != nullptr ? length + 1 : length;
            if (length > 0 && start[length - 1] == '\r') --length;
            // Blank lines carry nothing, as in HEX files.
            if (isBlank(start, length)) continue;
            if (const SrecFault fault = record(start, length); fault != SrecFault::None) return fail(fault);
            if (terminated_) break;
        }
        // Some writers end with the record count instead of a termination record when the image
        // has no start address; a matching count proves as well that no line was lost.
        if (!terminated_ && !lastWasCount_) return fail(SrecFault::NoTermination);
        SrecScan result;
        result.end = end_;
        if (terminated_) result.entry = entry_;
        return result;
    }

private:
    SrecScan fail(SrecFault fault) const {
        SrecScan result;
        result.fault = fault;
        result.line = line_;
        return result;
    }

    SrecFault record(const std::uint8_t* at, std::size_t length) {
        if (length < kRecordHead || at[0] != 'S') return SrecFault::NotSrec;
        const int type = at[1] - '0';
        if (type < 0 || type > 9 || kAddressBytes[static_cast<std::size_t>(type)] == 0)
            return SrecFault::BadRecordType;
        const int countHigh = kDigitValue[at[2]];
        const int countLow = kDigitValue[at[3]];
        if ((countHigh | countLow) < 0) return SrecFault::BadDigit;
        const std::size_t count =
            std::size_t{16} * static_cast<unsigned>(countHigh) + static_cast<unsigned>(countLow);
        const std::size_t addressBytes = kAddressBytes[static_cast<std::size_t>(type)];
        if (length != kRecordHead + 2 * count || count < addressBytes + 1) return SrecFault::BadLength;
        // The termination and count records carry nothing but their address field.
        if ((isTermination(type) || isCount(type)) && count != addressBytes + 1) return SrecFault::BadLength;

        const std::uint8_t* digits = at + kRecordHead;
        unsigned sum = static_cast<unsigned>(count);
        std::uint32_t address = 0;
        int bad = 0;
        for (std::size_t i = 0; i < addressBytes; ++i, digits += 2) {
            const int high = kDigitValue[digits[0]];
            const int low = kDigitValue[digits[1]];
            bad |= high | low;
            const auto value = static_cast<unsigned>((high << 4) | low) & 0xFF;
            sum += value;
            address = (address << 8) | value;
        }
        if (bad < 0) return SrecFault::BadDigit;
        const std::size_t dataBytes = count - addressBytes - 1;

        if (isData(type)) {
            if (address >= kMaxImageSize || dataBytes > kMaxImageSize - address)
                return SrecFault::OutsideImage;
            if (address > end_) std::memset(image_ + end_, 0xFF, address - end_);
            std::uint8_t* out = image_ + address;
            for (std::size_t i = 0; i < dataBytes; ++i, digits += 2) {
                const int high = kDigitValue[digits[0]];
                const int low = kDigitValue[digits[1]];
                bad |= high | low;
                const auto value = static_cast<std::uint8_t>((high << 4) | low);
                sum += value;
                out[i] = value;
            }
            if (address + dataBytes > end_) end_ = address + dataBytes;
            ++dataRecords_;
        } else {
            // The header's text (S0) is not kept.
            for (std::size_t i = 0; i < dataBytes; ++i, digits += 2) {
                const int high = kDigitValue[digits[0]];
                const int low = kDigitValue[digits[1]];
                bad |= high | low;
                sum += static_cast<unsigned>((high << 4) | low) & 0xFF;
            }
        }
        const int checkHigh = kDigitValue[digits[0]];
        const int checkLow = kDigitValue[digits[1]];
        bad |= checkHigh | checkLow;
        if (bad < 0) return SrecFault::BadDigit;
        sum += static_cast<unsigned>((checkHigh << 4) | checkLow);
        if ((sum & 0xFF) != 0xFF) return SrecFault::BadChecksum;

        if (isCount(type) && address != dataRecords_) return SrecFault::BadRecordCount;
        lastWasCount_ = isCount(type);
        if (isTermination(type)) {
            entry_ = address;
            terminated_ = true;
        }
        return SrecFault::None;
    }

    std::span<const std::uint8_t> text_;
    std::uint8_t* image_;
    std::size_t line_ = 0;
    std::size_t end_ = 0;
    std::uint32_t dataRecords_ = 0;
    std::uint32_t entry_ = 0;
    bool terminated_ = false;
    bool lastWasCount_ = false;
};

} // namespace

SrecScan decodeSrecInto(std::span<const std::uint8_t> text, std::span<std::uint8_t> area) {
    if (area.size() < kMaxImageSize) return {SrecFault::NoMemory, 0, 0, std::nullopt};
    return SrecScanner(text, area.data()).scan();
}

SrecDecodeResult decodeSrec(std::span<const std::uint8_t> text) {
    std::optional<ByteBlock> area = ByteBlock::allocate(kMaxImageSize);
    if (!area) return {SrecFault::NoMemory, 0, {}, std::nullopt};
    const SrecScan scan = decodeSrecInto(text, area->span());
    if (scan.fault != SrecFault::None) return {scan.fault, scan.line, {}, std::nullopt};
    if (!area->resize(scan.end, 0xFF)) return {SrecFault::NoMemory, 0, {}, std::nullopt};
    return {SrecFault::None, 0, std::move(*area), scan.entry};
}

bool looksLikeSrec(std::span<const std::uint8_t> text) {
    return text.size() >= 2 && text[0] == 'S' && text[1] >= '0' && text[1] <= '9';
}

} // namespace tovel
