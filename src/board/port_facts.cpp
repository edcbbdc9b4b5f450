#include "board/port_facts.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace tovel {

namespace fs = std::filesystem;

namespace {

std::string canonicalOrSelf(const fs::path& path) {
    std::error_code error;
    const fs::path resolved = fs::canonical(path, error);
    return error ? path.string() : resolved.string();
}

PortFileKind kindOf(const struct stat& info) {
    if (S_ISCHR(info.st_mode)) return PortFileKind::CharacterDevice;
    if (S_ISREG(info.st_mode)) return PortFileKind::RegularFile;
    if (S_ISDIR(info.st_mode)) return PortFileKind::Directory;
    if (S_ISFIFO(info.st_mode)) return PortFileKind::Fifo;
    if (S_ISSOCK(info.st_mode)) return PortFileKind::Socket;
    if (S_ISBLK(info.st_mode)) return PortFileKind::BlockDevice;
    return PortFileKind::Other;
}

std::string userName(uid_t uid) {
    if (const passwd* entry = ::getpwuid(uid)) return entry->pw_name;
    return std::to_string(uid);
}

std::string groupName(gid_t gid) {
    if (const group* entry = ::getgrgid(gid)) return entry->gr_name;
    return std::to_string(gid);
}

bool processInGroup(gid_t gid) {
    if (::getegid() == gid) return true;
    const int count = ::getgroups(0, nullptr);
    if (count <= 0) return false;
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    const int got = ::getgroups(count, groups.data());
    return got > 0 && std::find(groups.begin(), groups.begin() + got, gid) != groups.begin() + got;
}

bool isDecimal(const std::string& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) != 0;
    });
}

// The sysfs tty entry of the port: by the name given (a fake tree may use a link named like the
// adapter's device), else by the name the path resolves to.
std::optional<fs::path> ttyEntry(const std::string& path, const SystemPaths& system) {
    std::error_code error;
    for (const std::string& name :
         {fs::path(path).filename().string(), fs::path(canonicalOrSelf(path)).filename().string()}) {
        if (name.empty()) continue;
        const fs::path entry = fs::path(system.sys()) / "class/tty" / name;
        if (fs::exists(entry / "device", error)) return entry;
    }
    return std::nullopt;
}

std::string byIdLinkFor(const std::string& path, const SystemPaths& system) {
    const fs::path folder = fs::path(system.dev()) / "serial/by-id";
    std::error_code error;
    if (!fs::is_directory(folder, error)) return {};
    const std::string target = canonicalOrSelf(path);
    std::vector<std::string> found;
    for (const fs::directory_entry& link : fs::directory_iterator(folder, error)) {
        if (canonicalOrSelf(link.path()) == target || fs::read_symlink(link.path(), error) == fs::path(path))
            found.push_back("/dev/serial/by-id/" + link.path().filename().string());
    }
    std::sort(found.begin(), found.end());
    return found.empty() ? std::string() : found.front();
}

std::optional<UsbSerialFacts> usbFacts(const std::string& path, const SystemPaths& system) {
    const std::optional<fs::path> entry = ttyEntry(path, system);
    if (!entry) return std::nullopt;
    std::error_code error;
    const fs::path device = fs::canonical(*entry / "device", error);
    if (error) return std::nullopt;
    UsbSerialFacts facts;
    const fs::path driver = fs::read_symlink(device / "driver", error);
    if (!error) facts.driver = driver.filename().string();
    const std::string latency = firstLineOf(device / "latency_timer");
    if (isDecimal(latency) && latency.size() < 6) facts.latencyTimerMs = std::stoi(latency);
    // The USB device is the first folder above the tty with the vendor id.
    bool usb = false;
    fs::path dir = device;
    const fs::path top = fs::path(system.sys());
    for (int depth = 0; depth < 8 && !dir.empty() && dir != top && dir != dir.root_path(); ++depth) {
        if (fs::exists(dir / "idVendor", error)) {
            facts.vendorId = firstLineOf(dir / "idVendor");
            facts.productId = firstLineOf(dir / "idProduct");
            facts.manufacturer = firstLineOf(dir / "manufacturer");
            facts.product = firstLineOf(dir / "product");
            facts.serialNumber = firstLineOf(dir / "serial");
            usb = true;
            break;
        }
        dir = dir.parent_path();
    }
    if (!usb) return std::nullopt;
    facts.byIdPath = byIdLinkFor(path, system);
    return facts;
}

} // namespace

std::string modeText(unsigned mode) {
    char text[8];
    std::snprintf(text, sizeof text, "%04o", mode & 07777u);
    return text;
}

bool isTerminalDevice(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    termios settings{};
    const bool terminal = ::tcgetattr(fd, &settings) == 0;
    ::close(fd);
    return terminal;
}

namespace {

// The number of a pseudo-terminal's slave (/dev/pts/N), or empty.
std::string ptyIndex(const std::string& resolved) {
    const std::string prefix = "/dev/pts/";
    if (resolved.rfind(prefix, 0) != 0) return {};
    const std::string index = resolved.substr(prefix.size());
    return isDecimal(index) ? index : std::string();
}

// Whether descriptor `fd` of a process is the master side of pseudo-terminal `index`.
bool isMasterOf(const fs::path& process, const std::string& fd, const std::string& index) {
    std::ifstream info(process / "fdinfo" / fd);
    for (std::string line; std::getline(info, line);) {
        if (line.rfind("tty-index:", 0) != 0) continue;
        std::string value = line.substr(10);
        value.erase(0, value.find_first_not_of(" \t"));
        return value == index;
    }
    return false;
}

} // namespace

std::vector<PortHolder> findPortHolders(const std::string& path, const SystemPaths& system) {
    std::vector<PortHolder> holders;
    const std::string target = canonicalOrSelf(path);
    const std::string index = ptyIndex(target);
    const std::string self = std::to_string(::getpid());
    std::error_code error;
    for (const fs::directory_entry& process : fs::directory_iterator(system.proc(), error)) {
        const std::string pid = process.path().filename().string();
        if (!isDecimal(pid) || pid.size() > 9 || (system.root.empty() && pid == self)) continue;
        bool holds = false;
        bool master = false;
        std::error_code fdError;
        // Other users' processes are not readable without privileges: they are simply not seen.
        for (const fs::directory_entry& fd : fs::directory_iterator(process.path() / "fd", fdError)) {
            std::error_code linkError;
            const std::string link = fs::read_symlink(fd.path(), linkError).string();
            if (linkError) continue;
            if (link == target || link == path) holds = true;
            // The process on the other end of a pseudo-terminal (a terminal window, the simulated
            // board) holds its slave too: it is the line itself, not a program in the way.
            if (!index.empty() && (link == "/dev/ptmx" || link == "/dev/pts/ptmx") &&
                isMasterOf(process.path(), fd.path().filename().string(), index))
                master = true;
        }
        if (holds && !master) holders.push_back({std::stoi(pid), firstLineOf(process.path() / "comm")});
    }
    std::sort(holders.begin(), holders.end(),
              [](const PortHolder& a, const PortHolder& b) { return a.pid < b.pid; });
    return holders;
}

PortFacts inspectPort(const std::string& path, const SystemPaths& system) {
    PortFacts facts;
    facts.path = path;
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0) return facts;
    facts.kind = kindOf(info);
    facts.owner = userName(info.st_uid);
    facts.group = groupName(info.st_gid);
    facts.mode = info.st_mode & 07777u;
    facts.groupMayReadWrite = (info.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
    facts.userInGroup = processInGroup(info.st_gid);
    facts.userMayReadWrite = ::faccessat(AT_FDCWD, path.c_str(), R_OK | W_OK, AT_EACCESS) == 0;
    facts.holders = findPortHolders(path, system);
    if (facts.kind == PortFileKind::CharacterDevice) facts.usb = usbFacts(path, system);
    return facts;
}

std::string firstLineOf(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back())) != 0) line.pop_back();
    return line;
}

} // namespace tovel
