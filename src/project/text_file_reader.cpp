#include "project/text_file_reader.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/file_descriptor.h"

namespace tovel {

TextFile readTextFile(const std::string& path, std::size_t maxBytes) {
    TextFile result;
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (fd.get() < 0) {
        result.status =
            (errno == ENOENT || errno == ENOTDIR) ? TextFileStatus::Missing : TextFileStatus::Failed;
        return result;
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0 || S_ISDIR(info.st_mode)) return result;
    if (S_ISREG(info.st_mode) && static_cast<unsigned long long>(info.st_size) > maxBytes) {
        result.status = TextFileStatus::TooLarge;
        return result;
    }
    std::string content;
    char chunk[16384];
    for (;;) {
        const ssize_t n = ::read(fd.get(), chunk, sizeof chunk);
        if (n < 0) {
            if (errno == EINTR) continue;
            return result;
        }
        if (n == 0) break;
        if (content.size() + static_cast<std::size_t>(n) > maxBytes) {
            result.status = TextFileStatus::TooLarge;
            return result;
        }
        content.append(chunk, static_cast<std::size_t>(n));
    }
    result.status = TextFileStatus::Read;
    result.content = std::move(content);
    return result;
}

} // namespace tovel
