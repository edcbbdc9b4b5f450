#include "cli/scratch_settings.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

#include <sys/stat.h>
#include <unistd.h>

namespace tovel::cli {

namespace {

// A settings file is a few hundred bytes; anything far larger is not one.
constexpr std::size_t kMaxSettingsBytes = 1u << 20;
constexpr const char* kFolderPrefix = "tovelisp-cli.";

std::string temporaryBase() {
    const char* tmp = std::getenv("TMPDIR");
    return tmp != nullptr && tmp[0] == '/' ? tmp : "/tmp";
}

// The process id in a folder name "tovelisp-cli.<pid>.XXXXXX"; 0 when it has none.
pid_t ownerOf(const std::string& name) {
    if (name.rfind(kFolderPrefix, 0) != 0) return 0;
    const std::string rest = name.substr(std::char_traits<char>::length(kFolderPrefix));
    const std::size_t dot = rest.find('.');
    if (dot == 0 || dot == std::string::npos || dot > 9) return 0;
    pid_t pid = 0;
    for (std::size_t i = 0; i < dot; ++i) {
        if (rest[i] < '0' || rest[i] > '9') return 0;
        pid = pid * 10 + (rest[i] - '0');
    }
    return pid;
}

bool processGone(pid_t pid) { return ::kill(pid, 0) != 0 && errno == ESRCH; }

} // namespace

int ScratchSettings::removeStaleFolders(const std::string& base) {
    int removed = 0;
    std::error_code error;
    for (std::filesystem::directory_iterator it(base, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        const pid_t pid = ownerOf(name);
        if (pid <= 0 || pid == ::getpid()) continue;
        struct stat info {};
        // Only this user's own folders, never a link someone placed there.
        if (::lstat(it->path().c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid())
            continue;
        if (!processGone(pid)) continue;
        std::error_code ignored;
        if (std::filesystem::remove_all(it->path(), ignored) > 0) ++removed;
    }
    return removed;
}

ScratchSettings::ScratchSettings(const std::optional<std::string>& source) : base_(temporaryBase()) {
    removeStaleFolders(base_);
    std::string folder = base_ + "/" + kFolderPrefix + std::to_string(::getpid()) + ".XXXXXX";
    if (::mkdtemp(folder.data()) == nullptr) return;
    folder_ = folder;
    path_ = folder_ + "/tovelisp.ini";
    failure_ = Failure::Source;

    std::string contents;
    std::error_code error;
    if (source && std::filesystem::exists(*source, error)) {
        std::ifstream in(*source, std::ios::binary);
        if (!in) return;
        contents.resize(kMaxSettingsBytes + 1);
        in.read(contents.data(), static_cast<std::streamsize>(contents.size()));
        if (in.bad() || static_cast<std::size_t>(in.gcount()) > kMaxSettingsBytes) return;
        contents.resize(static_cast<std::size_t>(in.gcount()));
    }
    std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    out << contents;
    if (!out) {
        failure_ = Failure::TemporaryFolder; // the folder was made but takes no file
        return;
    }
    failure_ = Failure::None;
}

ScratchSettings::~ScratchSettings() {
    if (folder_.empty()) return;
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

} // namespace tovel::cli
