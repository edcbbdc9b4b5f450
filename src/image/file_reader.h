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

struct FileContents {
    FileReadStatus status = FileReadStatus::CannotRead;
    ByteBlock bytes; // the whole file (Read only)
    FileVersion version;
};

// Reads the whole file; a file longer than `limit` is not read at all (TooLarge), never cut.
FileContents readWholeFile(const std::string& path, std::size_t limit);

// A 64-bit hash: cheap, and enough to tell one version of a file from another.
std::uint64_t contentHash(const std::uint8_t* bytes, std::size_t size);

} // namespace tovel
