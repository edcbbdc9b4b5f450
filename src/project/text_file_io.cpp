#include "project/text_file_io.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <random>
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
    // Closes now and reports whether the close succeeded (late write errors show up here).
    bool close() {
        const int fd = fd_;
        fd_ = -1;
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int fd_;
};

bool writeAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// The file the new content is to replace: a symbolic link is followed, so the link stays.
std::filesystem::path finalTarget(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path target(path);
    if (std::filesystem::is_symlink(std::filesystem::symlink_status(target, ec))) {
        std::filesystem::path resolved = std::filesystem::weakly_canonical(target, ec);
        if (!ec) return resolved;
    }
    return target;
}

// Creates a new, empty file beside the target under a name nobody else uses.
int createTemporaryBeside(const std::filesystem::path& target, std::string& tempPath) {
    std::random_device entropy;
    std::mt19937_64 random(entropy());
    for (int attempt = 0; attempt < 16; ++attempt) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, ".tmp%012llx",
                      static_cast<unsigned long long>(random() & 0xFFFFFFFFFFFFull));
        tempPath = target.string() + suffix;
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

void syncFolderOf(const std::filesystem::path& target) {
    std::filesystem::path folder = target.parent_path();
    if (folder.empty()) folder = ".";
    FileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0) ::fsync(dir.get()); // best effort: the rename itself has happened
}

} // namespace

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

bool writeFileAtomically(const std::string& path, std::string_view content) {
    if (path.empty()) return false;
    const std::filesystem::path target = finalTarget(path);
    std::string tempPath;
    FileDescriptor fd(createTemporaryBeside(target, tempPath));
    if (fd.get() < 0) return false;

    struct stat old {};
    bool ok = true;
    if (::stat(target.c_str(), &old) == 0) {
        if (!S_ISREG(old.st_mode))
            ok = false; // never replace a folder or a device
        else
            ::fchmod(fd.get(), old.st_mode & 07777);
    }
    ok = ok && writeAll(fd.get(), content) && ::fsync(fd.get()) == 0;
    ok = fd.close() && ok;
    ok = ok && ::rename(tempPath.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(tempPath.c_str());
        return false;
    }
    syncFolderOf(target);
    return true;
}

} // namespace tovel
