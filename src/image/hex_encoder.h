// The Intel HEX writer: 16 data bytes a record, upper-case digits, CRLF line ends, and an
// end-of-file record. Images up to 1 MiB carry extended segment address records at every
// 64 KiB; larger ones, which segment addresses cannot reach, carry extended linear address
// records instead.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

namespace tovel {

// Receives the text in chunks; returns false to stop the writer.
using HexTextSink = std::function<bool(std::span<const char>)>;

// Returns false when the sink refused a chunk.
bool encodeHex(std::span<const std::uint8_t> data, const HexTextSink& sink);

// The exact length of the text `encodeHex` writes for an image of `size` bytes.
std::size_t hexTextLength(std::size_t size);

} // namespace tovel
