// Collects records of text in one buffer and hands it to a sink in large chunks: few write calls
// for an image of many small records.
#pragma once

#include <algorithm>
#include <cstddef>
#include <functional>
#include <memory>
#include <new>
#include <span>

namespace tovel {

using HexTextSink = std::function<bool(std::span<const char>)>;

class ChunkedTextWriter {
public:
    static constexpr std::size_t kChunkSize = 256 * 1024;

    // `textLength`: the whole text's length (the buffer need not be longer); `maxRecord`: the
    // longest record.
    ChunkedTextWriter(const HexTextSink& sink, std::size_t textLength, std::size_t maxRecord)
        : sink_(sink), maxRecord_(maxRecord), capacity_(std::clamp(textLength, maxRecord, kChunkSize)),
          buffer_(new (std::nothrow) char[capacity_]) {}

    // Room for one record of at most `maxRecord` characters; null when memory ran out or the
    // sink refused a chunk. Hand the end of what was written to `commit`.
    char* reserve() {
        if (!buffer_ || (used_ + maxRecord_ > capacity_ && !flush())) return nullptr;
        return buffer_.get() + used_;
    }
    void commit(const char* end) { used_ = static_cast<std::size_t>(end - buffer_.get()); }

    bool flush() {
        if (used_ == 0) return true;
        const bool accepted = sink_(std::span<const char>(buffer_.get(), used_));
        used_ = 0;
        return accepted;
    }

private:
    const HexTextSink& sink_;
    std::size_t maxRecord_;
    std::size_t capacity_;
    std::unique_ptr<char[]> buffer_;
    std::size_t used_ = 0;
};

} // namespace tovel
