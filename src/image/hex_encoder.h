// The Intel HEX writer: 16 data bytes a record, upper-case digits, CRLF line ends, and an
// end-of-file record. Images up to 1 MiB carry extended segment address records at every
// 64 KiB; larger ones, which segment addresses cannot reach, carry extended linear address
// records instead.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "image/chunked_text_writer.h" // HexTextSink: receives the text in chunks; false stops the writer

namespace tovel {

// Returns false when the sink refused a chunk.
bool encodeHex(std::span<const std::uint8_t> data, const HexTextSink& sink);

// The exact length of the text `encodeHex` writes for an image of `size` bytes.
std::size_t hexTextLength(std::size_t size);

} // namespace tovel
