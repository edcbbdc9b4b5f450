// The Motorola S-record writer: an empty S0 header, 16 data bytes a record with the smallest
// address field that reaches the whole image (S1 up to 64 KiB, S2 up to 16 MiB, else S3), a
// record count (S5, or S6 above 65,535 records), and the matching termination record (S9, S8
// or S7) with start address 0. Upper-case digits, CRLF line ends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "image/hex_encoder.h" // HexTextSink: the same chunked text sink

namespace tovel {

// Returns false when the sink refused a chunk or no text buffer could be had.
bool encodeSrec(std::span<const std::uint8_t> data, const HexTextSink& sink);

// The exact length of the text `encodeSrec` writes for an image of `size` bytes.
std::size_t srecTextLength(std::size_t size);

} // namespace tovel
