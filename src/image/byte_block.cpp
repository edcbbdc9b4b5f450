#include "image/byte_block.h"

#include <cstring>

namespace tovel {

std::optional<ByteBlock> ByteBlock::allocate(std::size_t size) {
    ByteBlock block;
    if (size > 0) {
        block.bytes_.reset(static_cast<std::uint8_t*>(std::malloc(size)));
        if (!block.bytes_) return std::nullopt;
    }
    block.size_ = size;
    return block;
}

std::optional<ByteBlock> ByteBlock::filled(std::size_t size, std::uint8_t value) {
    std::optional<ByteBlock> block = allocate(size);
    if (block && size > 0) std::memset(block->data(), value, size);
    return block;
}

std::optional<ByteBlock> ByteBlock::copyOf(std::span<const std::uint8_t> bytes) {
    std::optional<ByteBlock> block = allocate(bytes.size());
    if (block && !bytes.empty()) std::memcpy(block->data(), bytes.data(), bytes.size());
    return block;
}

bool ByteBlock::resize(std::size_t size, std::uint8_t fill) {
    if (size == size_) return true;
    if (size == 0) {
        bytes_.reset();
        size_ = 0;
        return true;
    }
    auto* grown = static_cast<std::uint8_t*>(std::realloc(bytes_.get(), size));
    if (grown == nullptr) return false;
    (void)bytes_.release(); // realloc has taken over (or freed) the old block
    bytes_.reset(grown);
    if (size > size_) std::memset(grown + size_, fill, size - size_);
    size_ = size;
    return true;
}

} // namespace tovel
