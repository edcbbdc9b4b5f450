#include "image/file_reader.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tovel {

namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// Reads into bytes[from, to) until full or end of file; returns the new fill level or -1.
long long readInto(int fd, ByteBlock& bytes, std::size_t from, std::size_t to) {
    std::size_t filled = from;
    while (filled < to) {
        const ssize_t got = ::read(fd, bytes.data() + filled, to - filled);
        if (got < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        if (got == 0) break;
        filled += static_cast<std::size_t>(got);
    }
    return static_cast<long long>(filled);
}

} // namespace

FileContents readFilePrefix(const std::string& path, std::size_t limit, std::size_t extendedLimit,
                            char extendIfFirst) {
    FileContents contents;
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat info {};
    if (file.get() < 0 || ::fstat(file.get(), &info) != 0 || S_ISDIR(info.st_mode)) return contents;

    // A regular file's length is known, so the area is just big enough; anything else (a pipe,
    // a device) gets the whole limit and is read until it ends.
    const bool knownLength = S_ISREG(info.st_mode);
    const std::size_t fileLength = knownLength ? static_cast<std::size_t>(info.st_size) : limit;
    std::optional<ByteBlock> area = ByteBlock::allocate(std::min(fileLength, limit));
    if (!area) {
        contents.status = FileReadStatus::NoMemory;
        return contents;
    }
    long long filled = readInto(file.get(), *area, 0, area->size());
    if (filled < 0) return contents;

    if (knownLength && static_cast<std::size_t>(filled) == area->size() && fileLength > limit && filled > 0 &&
        (*area)[0] == static_cast<std::uint8_t>(extendIfFirst)) {
        const std::size_t wanted = std::min(fileLength, extendedLimit);
        if (!area->resize(wanted, 0)) {
            contents.status = FileReadStatus::NoMemory;
            return contents;
        }
        filled = readInto(file.get(), *area, static_cast<std::size_t>(filled), wanted);
        if (filled < 0) return contents;
    }
    // The file may have shrunk since fstat.
    if (!area->resize(static_cast<std::size_t>(filled), 0)) {
        contents.status = FileReadStatus::NoMemory;
        return contents;
    }
    contents.status = FileReadStatus::Read;
    contents.bytes = std::move(*area);
    return contents;
}

} // namespace tovel
