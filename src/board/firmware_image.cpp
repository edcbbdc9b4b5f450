#include "board/firmware_image.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "board/board_protocol.h"
#include "core/file_descriptor.h"
#include "i18n/messages.h"

#ifndef TOVEL_DATA_DIR
#define TOVEL_DATA_DIR "/usr/local/share/tovelisp"
#endif

namespace tovel {

namespace {

std::string executableDirectory() {
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return std::string();
    std::string path(buffer, static_cast<std::size_t>(n));
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

bool exists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

void readImage(FirmwareImageLoad& load) {
    const FileDescriptor file(::open(load.path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    const int fd = file.get();
    if (fd < 0) {
        load.reason = std::strerror(errno);
        return;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        // A directory or a device is no image (and a device could block the read).
        load.reason = S_ISDIR(info.st_mode) ? std::strerror(EISDIR) : "not a regular file";
        return;
    }
    // One byte more than an image may have, to tell a long file from a good one.
    std::vector<std::uint8_t> bytes(protocol::FirmwareImageSize + 1);
    std::size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            load.reason = std::strerror(errno);
            return;
        }
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    if (got != protocol::FirmwareImageSize ||
        static_cast<std::size_t>(info.st_size) != protocol::FirmwareImageSize) {
        load.reason = formatText("a firmware image has exactly %zu bytes; this file has %lld",
                                 protocol::FirmwareImageSize, static_cast<long long>(info.st_size));
        return;
    }
    bytes.resize(protocol::FirmwareImageSize);
    load.bytes = std::move(bytes);
    load.ok = true;
}

} // namespace

std::vector<std::string> firmwareImageLocations() {
    std::vector<std::string> places{std::string(TOVEL_DATA_DIR) + "/" + kFirmwareImageFileName};
    const std::string beside = executableDirectory();
    if (!beside.empty()) places.push_back(beside + "/data/" + kFirmwareImageFileName);
    return places;
}

FirmwareImageLoad loadFirmwareImage(const std::string& explicitPath) {
    FirmwareImageLoad load;
    if (!explicitPath.empty()) {
        load.path = explicitPath;
    } else {
        const std::vector<std::string> places = firmwareImageLocations();
        load.path = places.front();
        for (const std::string& place : places) {
            if (exists(place)) {
                load.path = place;
                break;
            }
        }
    }
    readImage(load);
    return load;
}

std::string firmwareImageVersionText() {
    const auto& v = protocol::RequiredVersion;
    if (v[0] == 'M') return formatText("10.%c%c", v[1], v[2]);
    return formatText("%c.%c%c", v[0], v[1], v[2]);
}

} // namespace tovel
