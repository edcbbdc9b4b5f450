#include "image/file_reader.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/file_descriptor.h"

namespace tovel {

namespace {

// Reads into bytes[from, to) until full or end of file; returns the fill level or -1.
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

bool isNonRegularFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode);
}

FileContents readFilePrefix(const std::string& path, std::size_t limit, std::size_t extendedLimit,
                            char extendIfFirst) {
    FileContents contents;
    // Non-blocking: opening a FIFO must not wait for a writer (a regular file ignores the flag).
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    struct stat info {};
    if (file.get() < 0 || ::fstat(file.get(), &info) != 0) return contents;
    if (!S_ISREG(info.st_mode)) {
        contents.problem = FileReadProblem::NotRegularFile;
        return contents;
    }

    // The length is known, so the area is just big enough (peeking at the first byte to choose
    // the limit).
    const auto fileLength = static_cast<std::size_t>(info.st_size);
    char first = 0;
    const bool extend =
        fileLength > limit && ::pread(file.get(), &first, 1, 0) == 1 && first == extendIfFirst;
    const std::size_t wanted = std::min(fileLength, extend ? extendedLimit : limit);
    std::optional<ByteBlock> area = ByteBlock::allocate(wanted);
    if (!area) {
        contents.status = FileReadStatus::NoMemory;
        return contents;
    }
    const long long filled = readInto(file.get(), *area, 0, area->size());
    if (filled < 0) return contents;
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
