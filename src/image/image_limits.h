// Size limits shared by the image reader, the HEX decoder and the memory buffers.
#pragma once

#include <cstddef>

namespace tovel {

// The largest image: a binary file is read up to this length, and HEX data must lie below it.
inline constexpr std::size_t kMaxImageSize = 8u * 1024 * 1024;

// The longest HEX text read. An 8 MiB image takes about 23.6 MB of text in 16-byte records and
// about 126 MB in one-byte records with CR LF; this leaves room for blank lines and blanks.
inline constexpr std::size_t kMaxHexTextSize = 256u * 1024 * 1024;

} // namespace tovel
