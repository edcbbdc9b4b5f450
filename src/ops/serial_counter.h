// The serial-number counter kept inside a memory image: up to four bytes, most significant first,
// ending at a configured address. After each programming run the counter is incremented in the
// buffer (not in its file), so the next chip gets the next number.
#pragma once

#include <cstdint>

namespace tovel {

class MemoryBuffer;

// Adds one to the counter whose least significant byte is at `address` (an address at or past
// the end means the buffer's last byte), carrying into at most three bytes below it; a carry out
// of the fourth byte is dropped. Each byte changed is marked as changed in memory, the buffer as
// modified. Nothing happens to a buffer without data or whose file is "[Unspecified]".
// True when the buffer changed.
bool incrementSerialCounter(MemoryBuffer& buffer, std::uint32_t address);

} // namespace tovel
