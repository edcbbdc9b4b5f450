#include "image/hex_encoder.h"

#include <algorithm>
#include <array>

namespace tovel {

namespace {

constexpr std::size_t kRecordBytes = 16;
constexpr std::size_t kSegmentSpan = 65536;
// Segment records address at most 1 MiB (a 16-bit segment times 16).
constexpr std::size_t kSegmentAddressLimit = 1024 * 1024;
constexpr std::size_t kChunkSize = 64 * 1024;
// Longest record: colon, count, address, type, 16 data bytes, checksum, CR LF.
constexpr std::size_t kMaxRecordText = 1 + 2 + 4 + 2 + 2 * kRecordBytes + 2 + 2;

enum RecordType : std::uint8_t {
    Data = 0,
    EndOfFile = 1,
    ExtendedSegmentAddress = 2,
    ExtendedLinearAddress = 4
};

constexpr std::array<char, 512> makeDigitPairs() {
    constexpr char digits[] = "0123456789ABCDEF";
    std::array<char, 512> pairs{};
    for (int value = 0; value < 256; ++value) {
        pairs[2 * value] = digits[value >> 4];
        pairs[2 * value + 1] = digits[value & 15];
    }
    return pairs;
}
constexpr std::array<char, 512> kDigitPairs = makeDigitPairs();

class RecordWriter {
public:
    explicit RecordWriter(const HexTextSink& sink) : sink_(sink) {}

    bool record(RecordType type, std::uint16_t address, std::span<const std::uint8_t> bytes) {
        if (used_ + kMaxRecordText > buffer_.size() && !flush()) return false;
        char* out = buffer_.data() + used_;
        const auto count = static_cast<std::uint8_t>(bytes.size());
        const auto addressHigh = static_cast<std::uint8_t>(address >> 8);
        const auto addressLow = static_cast<std::uint8_t>(address & 0xFF);
        unsigned sum = count + addressHigh + addressLow + type;
        *out++ = ':';
        out = pair(out, count);
        out = pair(out, addressHigh);
        out = pair(out, addressLow);
        out = pair(out, type);
        for (std::uint8_t byte : bytes) {
            out = pair(out, byte);
            sum += byte;
        }
        out = pair(out, static_cast<std::uint8_t>(0x100 - (sum & 0xFF)));
        *out++ = '\r';
        *out++ = '\n';
        used_ = static_cast<std::size_t>(out - buffer_.data());
        return true;
    }

    bool flush() {
        if (used_ == 0) return true;
        const bool accepted = sink_(std::span<const char>(buffer_.data(), used_));
        used_ = 0;
        return accepted;
    }

private:
    static char* pair(char* out, std::uint8_t value) {
        out[0] = kDigitPairs[2 * value];
        out[1] = kDigitPairs[2 * value + 1];
        return out + 2;
    }

    const HexTextSink& sink_;
    std::array<char, kChunkSize> buffer_;
    std::size_t used_ = 0;
};

} // namespace

bool encodeHex(std::span<const std::uint8_t> data, const HexTextSink& sink) {
    RecordWriter writer(sink);
    const std::size_t size = data.size();
    const bool linear = size > kSegmentAddressLimit;
    for (std::size_t offset = 0; offset < size; offset += kRecordBytes) {
        if (offset % kSegmentSpan == 0 && (offset > 0 || size >= kSegmentSpan)) {
            const std::size_t upper = offset / kSegmentSpan;
            // A segment address is upper x 4096 (so the data lands at upper x 65536); a linear
            // address is the upper 16 bits themselves.
            const std::size_t value = linear ? upper : upper << 12;
            const std::uint8_t address[2] = {static_cast<std::uint8_t>(value >> 8),
                                             static_cast<std::uint8_t>(value & 0xFF)};
            if (!writer.record(linear ? ExtendedLinearAddress : ExtendedSegmentAddress, 0, address))
                return false;
        }
        const std::size_t count = std::min(kRecordBytes, size - offset);
        if (!writer.record(Data, static_cast<std::uint16_t>(offset % kSegmentSpan),
                           data.subspan(offset, count)))
            return false;
    }
    return writer.record(EndOfFile, 0, {}) && writer.flush();
}

} // namespace tovel
