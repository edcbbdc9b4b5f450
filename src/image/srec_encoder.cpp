#include "image/srec_encoder.h"

#include <algorithm>

#include "image/hex_digits.h"

namespace tovel {

namespace {

using hex_digits::writePair;

constexpr std::size_t kRecordBytes = 16;
// "S", type, count pair, checksum pair, CR LF: a record without address or data.
constexpr std::size_t kRecordFrame = 1 + 1 + 2 + 2 + 2;
constexpr std::size_t kMaxRecordText = kRecordFrame + 2 * (4 + kRecordBytes);
constexpr std::uint32_t kS5Limit = 0xFFFF;
constexpr std::uint32_t kS6Limit = 0xFFFFFF;

// The address field every record of an image of `size` bytes uses: 2, 3 or 4 bytes.
std::size_t addressBytesFor(std::size_t size) {
    if (size <= 0x10000) return 2;
    if (size <= 0x1000000) return 3;
    return 4;
}

// Data record type for 2, 3, 4 address bytes: S1, S2, S3; termination: S9, S8, S7.
char dataType(std::size_t addressBytes) { return static_cast<char>('1' + (addressBytes - 2)); }
char terminationType(std::size_t addressBytes) { return static_cast<char>('9' - (addressBytes - 2)); }

std::size_t recordLength(std::size_t addressBytes, std::size_t dataBytes) {
    return kRecordFrame + 2 * (addressBytes + dataBytes);
}

class RecordWriter {
public:
    RecordWriter(const HexTextSink& sink, std::size_t textLength) : text_(sink, textLength, kMaxRecordText) {}

    bool record(char type, std::uint32_t address, std::size_t addressBytes,
                std::span<const std::uint8_t> bytes) {
        char* out = text_.reserve();
        if (out == nullptr) return false;
        const auto count = static_cast<std::uint8_t>(addressBytes + bytes.size() + 1);
        unsigned sum = count;
        *out++ = 'S';
        *out++ = type;
        out = writePair(out, count);
        for (std::size_t i = addressBytes; i-- > 0;) {
            const auto byte = static_cast<std::uint8_t>(address >> (8 * i));
            out = writePair(out, byte);
            sum += byte;
        }
        for (std::uint8_t byte : bytes) {
            out = writePair(out, byte);
            sum += byte;
        }
        out = writePair(out, static_cast<std::uint8_t>(~sum & 0xFF));
        *out++ = '\r';
        *out++ = '\n';
        text_.commit(out);
        return true;
    }

    bool flush() { return text_.flush(); }

private:
    ChunkedTextWriter text_;
};

} // namespace

std::size_t srecTextLength(std::size_t size) {
    const std::size_t addressBytes = addressBytesFor(size);
    const std::size_t records = (size + kRecordBytes - 1) / kRecordBytes;
    std::size_t length = recordLength(2, 0) + records * recordLength(addressBytes, 0) + 2 * size;
    if (records <= kS5Limit)
        length += recordLength(2, 0);
    else if (records <= kS6Limit)
        length += recordLength(3, 0);
    return length + recordLength(addressBytes, 0);
}

bool encodeSrec(std::span<const std::uint8_t> data, const HexTextSink& sink) {
    RecordWriter writer(sink, srecTextLength(data.size()));
    const std::size_t size = data.size();
    const std::size_t addressBytes = addressBytesFor(size);
    if (!writer.record('0', 0, 2, {})) return false;
    std::size_t records = 0;
    for (std::size_t offset = 0; offset < size; offset += kRecordBytes, ++records) {
        const std::size_t count = std::min(kRecordBytes, size - offset);
        if (!writer.record(dataType(addressBytes), static_cast<std::uint32_t>(offset), addressBytes,
                           data.subspan(offset, count)))
            return false;
    }
    // The count lets a reader notice a lost line; past S6's reach it is left out.
    if (records <= kS5Limit) {
        if (!writer.record('5', static_cast<std::uint32_t>(records), 2, {})) return false;
    } else if (records <= kS6Limit) {
        if (!writer.record('6', static_cast<std::uint32_t>(records), 3, {})) return false;
    }
    return writer.record(terminationType(addressBytes), 0, addressBytes, {}) && writer.flush();
}

} // namespace tovel
