// The serial line between host and board: wire time, and what a UART at one speed decodes from
// bytes sent at another (as on a real line, a speed mismatch turns bytes into garbage).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace tovel::sim {

// Line time of `bytes` bytes at `baud` (8N1: 10 bit times a byte), in microseconds.
std::uint64_t wireTimeUs(std::size_t bytes, int baud);

// What a receiver at `receiverBaud` decodes from `sent`, sent back to back at `senderBaud` after
// an idle line. Equal speeds give the bytes unchanged; a non-positive speed on either side
// gives nothing. A frame whose stop bit reads low is delivered as 0x00, as a UART reports a
// framing error without parity marking.
std::vector<std::uint8_t> decodeAtSpeed(std::span<const std::uint8_t> sent, int senderBaud, int receiverBaud);

} // namespace tovel::sim
