// Reads a whole file into one block with as few read calls as the system allows, together with
// what identifies that version of the file (its size, modification time and a hash of its bytes).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "image/byte_block.h"

namespace tovel {

enum class FileReadStatus { Read, CannotRead, NoMemory, TooLarge };

// One version of a file on disk: a later read that finds another size, time or content means
// someone changed the file in between.
struct FileVersion {
    std::uint64_t size = 0;
    std::int64_t modifiedSeconds = 0;
    std::int64_t modifiedNanoseconds = 0;
    std::uint64_t contentHash = 0;
    bool operator==(const FileVersion&) const = default;
};

// Why a file could not be read, where the reason is worth telling apart.
enum class FileReadProblem { None, NotRegularFile };

struct FileContents {
    FileReadStatus status = FileReadStatus::CannotRead;
    FileReadProblem problem = FileReadProblem::None; // with CannotRead
    ByteBlock bytes; // the whole file (Read only)
    FileVersion version;
};

// Reads the whole file; a file longer than `limit` is not read at all (TooLarge), never cut.
// Only regular files are read: anything else is refused at once (CannotRead with
// FileReadProblem::NotRegularFile), as a FIFO would block and a device never end.
FileContents readWholeFile(const std::string& path, std::size_t limit);

// True when `path` names something other than a regular file (a folder, a device, a FIFO),
// found without opening it, so that a FIFO without a writer cannot block. False for a regular
// file and for a path that does not exist or cannot be examined (the read then says so).
bool isNonRegularFile(const std::string& path);

// A 64-bit hash: cheap, and enough to tell one version of a file from another.
std::uint64_t contentHash(const std::uint8_t* bytes, std::size_t size);

} // namespace tovel
