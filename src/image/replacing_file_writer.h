// Writes a file through a temporary file beside it that is renamed over the target only once
// every byte has been written, so a failed write never destroys the old file. The data is not
// forced to the disk before the rename: filesystems order a rename that replaces a file after
// that file's data, and forcing it would cost more than writing the file.
#pragma once

#include <cstddef>
#include <span>
#include <string>

namespace tovel {

class ReplacingFileWriter {
public:
    ReplacingFileWriter() = default;
    ~ReplacingFileWriter(); // an uncommitted temporary file is removed
    ReplacingFileWriter(const ReplacingFileWriter&) = delete;
    ReplacingFileWriter& operator=(const ReplacingFileWriter&) = delete;

    // Creates the temporary file in the target's folder. False when it cannot be created.
    bool open(const std::string& path);
    // Sets aside disk space for `bytes` bytes, so the file is laid out in one go. False only
    // when the disk is known to be too full; a filesystem that cannot reserve space is fine.
    bool reserve(std::size_t bytes);
    // False on any write error; the target is then left alone.
    bool write(std::span<const char> bytes);
    // Closes the temporary file and renames it over the target. False when that fails; the
    // temporary file is then removed and the target is left as it was.
    bool commit();

private:
    void discard();

    std::string target_;
    std::string temporary_;
    int fd_ = -1;
};

} // namespace tovel
