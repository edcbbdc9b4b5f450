#include "image/hex_encoder.h"

#include <algorithm>

#include "image/hex_digits.h"

namespace tovel {

namespace {

using hex_digits::writePair;

constexpr std::size_t kRecordBytes = 16;
constexpr std::size_t kSegmentSpan = 65536;
// Segment records address at most 1 MiB (a 16-bit segment times 16).
constexpr std::size_t kSegmentAddressLimit = 1024 * 1024;
// A record without data: colon, count, address, type, checksum, CR LF.
constexpr std::size_t kEmptyRecordText = 1 + 2 + 4 + 2 + 2 + 2;
constexpr std::size_t kMaxRecordText = kEmptyRecordText + 2 * kRecordBytes;

enum RecordType : std::uint8_t {
    Data = 0,
    EndOfFile = 1,
    ExtendedSegmentAddress = 2,
    ExtendedLinearAddress = 4
};

class RecordWriter {
public:
    RecordWriter(const HexTextSink& sink, std::size_t textLength) : text_(sink, textLength, kMaxRecordText) {}

    bool record(RecordType type, std::uint16_t address, std::span<const std::uint8_t> bytes) {
        char* out = text_.reserve();
        if (out == nullptr) return false;
        const auto count = static_cast<std::uint8_t>(bytes.size());
        const auto addressHigh = static_cast<std::uint8_t>(address >> 8);
        const auto addressLow = static_cast<std::uint8_t>(address & 0xFF);
        unsigned sum = count + addressHigh + addressLow + type;
        *out++ = ':';
        out = writePair(out, count);
        out = writePair(out, addressHigh);
        out = writePair(out, addressLow);
        out = writePair(out, type);
        for (std::uint8_t byte : bytes) {
            out = writePair(out, byte);
            sum += byte;
        }
        out = writePair(out, static_cast<std::uint8_t>(0x100 - (sum & 0xFF)));
        *out++ = '\r';
        *out++ = '\n';
        text_.commit(out);
        return true;
    }

    bool flush() { return text_.flush(); }

private:
    ChunkedTextWriter text_;
};

// Whether an address record goes before the data record at `offset`.
bool addressRecordAt(std::size_t offset, std::size_t size) {
    return offset % kSegmentSpan == 0 && (offset > 0 || size >= kSegmentSpan);
}

} // namespace

std::size_t hexTextLength(std::size_t size) {
    const std::size_t dataRecords = (size + kRecordBytes - 1) / kRecordBytes;
    const std::size_t addressRecords =
        size == 0 ? 0 : (size - 1) / kSegmentSpan + (size >= kSegmentSpan ? 1 : 0);
    return (dataRecords + addressRecords + 1) * kEmptyRecordText + 2 * size + addressRecords * 4;
}

bool encodeHex(std::span<const std::uint8_t> data, const HexTextSink& sink) {
    RecordWriter writer(sink, hexTextLength(data.size()));
    const std::size_t size = data.size();
    const bool linear = size > kSegmentAddressLimit;
    for (std::size_t offset = 0; offset < size; offset += kRecordBytes) {
        if (addressRecordAt(offset, size)) {
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
