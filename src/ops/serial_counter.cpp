#include "ops/serial_counter.h"

#include <algorithm>
#include <string>

#include "image/memory_buffer.h"

namespace tovel {

namespace {
constexpr int kCounterBytes = 4;
}

bool incrementSerialCounter(MemoryBuffer& buffer, std::uint32_t address) {
    if (buffer.fileName() == kUnspecifiedFileName || !buffer.hasData()) return false;
    const auto data = buffer.data();
    const auto attributes = buffer.attributes();
    const std::size_t size = std::min(data.size(), attributes.size());
    if (size == 0) return false;
    std::size_t i = address < size ? address : size - 1;
    for (int n = 0; n < kCounterBytes; ++n) {
        ++data[i];
        attributes[i] = static_cast<std::uint8_t>(ByteAttribute::ChangedInMemory);
        if (data[i] != 0 || i == 0) break; // no carry, or nowhere to carry to
        --i;
    }
    buffer.markModified();
    buffer.refreshLabel();
    return true;
}

} // namespace tovel
