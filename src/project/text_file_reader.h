// Reading a settings or project file whole, with a size cap, telling a missing file from one
// that cannot be read (a missing settings file is simply empty; an unreadable one must not be
// overwritten).
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace tovel {

enum class TextFileStatus {
    Read,     // the content is in `content`
    Missing,  // no such file (nothing at the path)
    TooLarge, // the file holds more than the cap; nothing was kept
    Failed,   // it exists but cannot be opened or read (permissions, a folder, an I/O error)
};

struct TextFile {
    TextFileStatus status = TextFileStatus::Failed;
    std::string content;
};

// Reads the whole file, up to `maxBytes`. Never reads more than maxBytes + 1 bytes, so a huge
// or endless file (a device, a pipe) costs bounded work.
TextFile readTextFile(const std::string& path, std::size_t maxBytes);

} // namespace tovel
