// An owned block of bytes whose allocation may fail without an exception, so that a file too
// large for the machine ends in "Not enough memory" instead of a crash.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <span>

namespace tovel {

class ByteBlock {
public:
    ByteBlock() = default;

    // Uninitialised bytes, or nothing when the memory cannot be had.
    static std::optional<ByteBlock> allocate(std::size_t size);
    // `size` bytes all set to `value`, or nothing when the memory cannot be had.
    static std::optional<ByteBlock> filled(std::size_t size, std::uint8_t value);
    // A copy of `bytes`, or nothing when the memory cannot be had.
    static std::optional<ByteBlock> copyOf(std::span<const std::uint8_t> bytes);

    std::uint8_t* data() { return bytes_.get(); }
    const std::uint8_t* data() const { return bytes_.get(); }
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    std::span<std::uint8_t> span() { return {bytes_.get(), size_}; }
    std::span<const std::uint8_t> span() const { return {bytes_.get(), size_}; }
    std::uint8_t& operator[](std::size_t index) { return bytes_[index]; }
    std::uint8_t operator[](std::size_t index) const { return bytes_[index]; }

    // Changes the size, keeping the first bytes; new bytes are set to `fill`. On failure the
    // block is unchanged and false is returned. Shrinking gives memory back without copying
    // where the allocator allows it.
    bool resize(std::size_t size, std::uint8_t fill);

private:
    struct Free {
        void operator()(std::uint8_t* bytes) const { std::free(bytes); }
    };
    std::unique_ptr<std::uint8_t[], Free> bytes_;
    std::size_t size_ = 0;
};

} // namespace tovel
