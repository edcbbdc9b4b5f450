// Writes a file through a temporary file beside it that is renamed over the target only once
// every byte has been written and flushed, so a failed write never destroys the old file.
#pragma once

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
    // False on any write error; the target is then left alone.
    bool write(std::span<const char> bytes);
    // Flushes the temporary file and renames it over the target. False when that fails; the
    // temporary file is then removed and the target is left as it was.
    bool commit();

private:
    void discard();

    std::string target_;
    std::string temporary_;
    int fd_ = -1;
};

} // namespace tovel
