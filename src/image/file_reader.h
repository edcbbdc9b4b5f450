// Reads a whole file (up to a limit) into one block with as few read calls as the system
// allows.
#pragma once

#include <cstddef>
#include <string>

#include "image/byte_block.h"

namespace tovel {

enum class FileReadStatus { Read, CannotRead, NoMemory };

// Why a file could not be read, where the reason is worth telling apart.
enum class FileReadProblem { None, NotRegularFile };

struct FileContents {
    FileReadStatus status = FileReadStatus::CannotRead;
    FileReadProblem problem = FileReadProblem::None; // with CannotRead
    ByteBlock bytes;                                 // the first min(file length, limit) bytes
};

// True when `path` names something other than a regular file (a folder, a device, a FIFO),
// found without opening it, so that a FIFO without a writer cannot block. False for a regular
// file and for a path that does not exist or cannot be examined (the read then says so).
bool isNonRegularFile(const std::string& path);

// Only regular files are read: anything else is refused at once with FileReadProblem::NotRegularFile
// (a FIFO would block, a device never end). `limit` caps how much is read. `extendedLimit` is used instead
// when the first byte is `extendIfFirst` (the text of a HEX file can be much longer than the image it
// describes).
FileContents readFilePrefix(const std::string& path, std::size_t limit, std::size_t extendedLimit,
                            char extendIfFirst);

} // namespace tovel
