// Reads a whole file (up to a limit) into one block with as few read calls as the system
// allows.
#pragma once

#include <cstddef>
#include <string>

#include "image/byte_block.h"

namespace tovel {

enum class FileReadStatus { Read, CannotRead, NoMemory };

struct FileContents {
    FileReadStatus status = FileReadStatus::CannotRead;
    ByteBlock bytes; // the first min(file length, limit) bytes
};

// `limit` caps how much is read. `extendedLimit` is used instead when the first byte is
// `extendIfFirst` (the text of a HEX file can be much longer than the image it describes).
FileContents readFilePrefix(const std::string& path, std::size_t limit, std::size_t extendedLimit,
                            char extendIfFirst);

} // namespace tovel
