// Reading a settings or project file whole (with a size cap), and writing one so that a failure
// never leaves it half-written.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

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

// Writes `content` to a new file beside `path`, flushes it to the disk and renames it over
// `path`, so readers see either the old file or the new one, never a mixture. An existing file
// keeps its permissions; a path that is a symbolic link has the file it points to replaced.
// Returns false when anything fails; the old file (if any) is then untouched and the temporary
// file removed.
bool writeFileAtomically(const std::string& path, std::string_view content);

} // namespace tovel
