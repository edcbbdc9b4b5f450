#include "image/replacing_file_writer.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tovel {

namespace {

// As many links in a row as the system itself follows before it gives up (ELOOP).
constexpr int kMaxLinkDepth = 40;

// The file a write lands in: symbolic links are followed, so a link stays a link and its target
// is written, also when that target does not exist yet (a dangling link). A relative target is
// taken from the link's folder. Empty for a loop of links.
std::string resolvedTarget(const std::string& path) {
    std::string current = path;
    for (int depth = 0; depth < kMaxLinkDepth; ++depth) {
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return current;
        char target[PATH_MAX];
        const ssize_t length = ::readlink(current.c_str(), target, sizeof target);
        if (length <= 0 || static_cast<std::size_t>(length) >= sizeof target) return {};
        std::string next(target, static_cast<std::size_t>(length));
        if (next.front() != '/') {
            const std::size_t slash = current.rfind('/');
            if (slash != std::string::npos) next.insert(0, current, 0, slash + 1);
        }
        current = std::move(next);
    }
    return {};
}

} // namespace

ReplacingFileWriter::~ReplacingFileWriter() { discard(); }

bool ReplacingFileWriter::open(const std::string& path) {
    discard();
    target_ = resolvedTarget(path);
    if (target_.empty()) return false;
    struct stat existing {};
    const bool replacing = ::stat(target_.c_str(), &existing) == 0;
    if (replacing && !S_ISREG(existing.st_mode)) return false;

    // The name only has to be unlikely to exist; O_EXCL guarantees that it is ours.
    auto seed = static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
    seed ^= static_cast<unsigned long long>(::getpid()) << 32;
    for (int attempt = 0; attempt < 16 && fd_ < 0; ++attempt) {
        seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, ".%08x.tmp", static_cast<unsigned>(seed >> 32));
        temporary_ = target_ + suffix;
        // Mode 0666 lets the umask decide, as for any new file.
        fd_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0 && errno != EEXIST) break;
    }
    if (fd_ < 0) {
        temporary_.clear();
        return false;
    }
    // A replaced file keeps its permissions.
    if (replacing) (void)::fchmod(fd_, existing.st_mode & 07777);
    return true;
}

bool ReplacingFileWriter::reserve(std::size_t bytes) {
    if (fd_ < 0) return false;
    if (bytes == 0) return true;
    // Linux's fallocate fails where unsupported instead of writing zeros the slow way.
    return ::fallocate(fd_, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(bytes)) == 0 || errno != ENOSPC;
}

bool ReplacingFileWriter::write(std::span<const char> bytes) {
    if (fd_ < 0) return false;
    const char* next = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd_, next, left);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        next += written;
        left -= static_cast<std::size_t>(written);
    }
    return true;
}

bool ReplacingFileWriter::commit() {
    if (fd_ < 0) return false;
    const bool closed = ::close(fd_) == 0;
    fd_ = -1;
    if (!closed || ::rename(temporary_.c_str(), target_.c_str()) != 0) {
        discard();
        return false;
    }
    temporary_.clear();
    return true;
}

void ReplacingFileWriter::discard() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temporary_.empty()) {
        ::unlink(temporary_.c_str());
        temporary_.clear();
    }
}

} // namespace tovel
