#include "image/file_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
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

std::uint64_t contentHash(const std::uint8_t* bytes, std::size_t size) {
    // FNV-1a over 64-bit words (then the tail bytes), with a rotation so that high bits mix
    // down: fast enough to hash a 100 MB HEX text in a few tens of milliseconds.
    constexpr std::uint64_t kPrime = 0x100000001B3ull;
    std::uint64_t hash = 0xCBF29CE484222325ull ^ size;
    std::size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, bytes + i, 8);
        hash = (hash ^ word) * kPrime;
        hash ^= hash >> 29;
    }
    for (; i < size; ++i) hash = (hash ^ bytes[i]) * kPrime;
    return hash;
}

FileContents readWholeFile(const std::string& path, std::size_t limit) {
    FileContents contents;
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat info {};
    if (file.get() < 0 || ::fstat(file.get(), &info) != 0 || S_ISDIR(info.st_mode)) return contents;

    // A regular file's length is known, so the area is just big enough; anything else is read
    // until it ends, one byte past the limit to tell a file that is too long.
    const bool knownLength = S_ISREG(info.st_mode);
    if (knownLength && static_cast<std::uint64_t>(info.st_size) > limit) {
        contents.status = FileReadStatus::TooLarge;
        return contents;
    }
    const std::size_t wanted = knownLength ? static_cast<std::size_t>(info.st_size) + 1 : limit + 1;
    std::optional<ByteBlock> area = ByteBlock::allocate(wanted);
    if (!area) {
        contents.status = FileReadStatus::NoMemory;
        return contents;
    }
    const long long filled = readInto(file.get(), *area, 0, area->size());
    if (filled < 0) return contents;
    // The file may have grown or shrunk since fstat.
    if (static_cast<std::size_t>(filled) > limit) {
        contents.status = FileReadStatus::TooLarge;
        return contents;
    }
    if (!area->resize(static_cast<std::size_t>(filled), 0)) {
        contents.status = FileReadStatus::NoMemory;
        return contents;
    }
    contents.status = FileReadStatus::Read;
    contents.bytes = std::move(*area);
    contents.version.size = contents.bytes.size();
    contents.version.modifiedSeconds = info.st_mtim.tv_sec;
    contents.version.modifiedNanoseconds = info.st_mtim.tv_nsec;
    contents.version.contentHash = contentHash(contents.bytes.data(), contents.bytes.size());
    return contents;
}

} // namespace tovel
