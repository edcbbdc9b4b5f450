#include "project/settings_file.h"

#include <cstdlib>
#include <filesystem>

#include "core/no_file_name.h"
#include "project/ini_file.h"

namespace tovel {

namespace {

constexpr const char* kConnect = "Connect";
constexpr const char* kLanguage = "Language";
constexpr const char* kRecent = "Recent";
constexpr const char* kPorts = "Ports";

std::string numbered(const char* stem, int n) { return stem + std::to_string(n); }

} // namespace

IniFile SettingsFile::load() const {
    std::optional<IniFile> file = IniFile::readFile(path_);
    return file ? std::move(*file) : IniFile();
}

template <typename Edit> bool SettingsFile::update(Edit edit) const {
    std::optional<IniFile> file = IniFile::readFile(path_);
    if (!file) return false;
    edit(*file);
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::path(path_).parent_path();
    if (!folder.empty()) std::filesystem::create_directories(folder, ec);
    return file->writeFile(path_);
}

AppSettings SettingsFile::read() const {
    const IniFile file = load();
    AppSettings s;
    s.baudIndex = file.readInt(kConnect, "HighSpeed", 0);
    s.comPort = file.readInt(kConnect, "COM", 0);
    s.language = languageFromFlag(file.readInt(kLanguage, "Russian", 0));
    s.boardDelays.preReadDelayMs = file.readInt(kConnect, "Special1", 0);
    s.boardDelays.pageReadDelayMs = file.readInt(kConnect, "Special2", 0);
    s.boardDelays.pageWriteDelayMs = file.readInt(kConnect, "Special3", 0);
    s.boardDelays.postSendDelayMs = file.readInt(kConnect, "Special4", 0);
    s.loadMostRecent = file.readInt(kRecent, "LoadMostRecent", 0) != 0;
    return s;
}

bool SettingsFile::write(std::int32_t comPort, std::int32_t baudIndex, Language language) const {
    return update([&](IniFile& file) {
        file.writeInt(kConnect, "COM", comPort);
        file.writeInt(kConnect, "HighSpeed", baudIndex);
        file.writeInt(kLanguage, "Russian", flagFromLanguage(language));
    });
}

std::int32_t SettingsFile::readComPort() const { return load().readInt(kConnect, "COM", 0); }
std::int32_t SettingsFile::readBaudIndex() const { return load().readInt(kConnect, "HighSpeed", 0); }

bool SettingsFile::writePortAndSpeed(std::int32_t comPort, std::int32_t baudIndex) const {
    return update([&](IniFile& file) {
        file.writeInt(kConnect, "COM", comPort);
        file.writeInt(kConnect, "HighSpeed", baudIndex);
    });
}

BoardDelays SettingsFile::readBoardDelays() const { return read().boardDelays; }

bool SettingsFile::writeBoardDelays(const BoardDelays& delays) const {
    return update([&](IniFile& file) {
        file.writeInt(kConnect, "Special1", delays.preReadDelayMs);
        file.writeInt(kConnect, "Special2", delays.pageReadDelayMs);
        file.writeInt(kConnect, "Special3", delays.pageWriteDelayMs);
        file.writeInt(kConnect, "Special4", delays.postSendDelayMs);
    });
}

bool SettingsFile::readShowMessages() const { return load().readInt("Window", "ShowMessages", 0) != 0; }

bool SettingsFile::writeShowMessages(bool show) const {
    return update([&](IniFile& file) { file.writeInt("Window", "ShowMessages", show ? 1 : 0); });
}

std::string SettingsFile::readTraceFile() const { return load().readString(kConnect, "TraceFile", ""); }

bool SettingsFile::writeTraceFile(const std::string& path) const {
    return update([&](IniFile& file) { file.writeString(kConnect, "TraceFile", path); });
}

bool SettingsFile::readLoadMostRecent() const { return load().readInt(kRecent, "LoadMostRecent", 0) != 0; }

bool SettingsFile::writeLoadMostRecent(bool reopen) const {
    return update([&](IniFile& file) { file.writeInt(kRecent, "LoadMostRecent", reopen ? 1 : 0); });
}

RecentProjects::Slots SettingsFile::readRecentProjects() const {
    const IniFile file = load();
    RecentProjects::Slots slots;
    for (int k = 1; k <= RecentProjects::kSlotCount; ++k)
        slots[static_cast<std::size_t>(k - 1)] =
            file.readString(kRecent, numbered("Project", k), kUnspecifiedFileName);
    return slots;
}

bool SettingsFile::writeRecentProjects(const RecentProjects::Slots& slots) const {
    return update([&](IniFile& file) {
        for (int k = 1; k <= RecentProjects::kSlotCount; ++k) {
            const std::string& path = slots[static_cast<std::size_t>(k - 1)];
            // A path that cannot stand on one line is not kept rather than breaking the file.
            if (path.empty() || !file.writeString(kRecent, numbered("Project", k), path))
                file.writeString(kRecent, numbered("Project", k), kUnspecifiedFileName);
        }
    });
}

PortPaths SettingsFile::readPortPaths() const {
    const IniFile file = load();
    PortPaths paths;
    for (int n = 1; n <= kComPortCount; ++n) {
        std::optional<std::string> path = file.find(kPorts, numbered("COM", n));
        if (path && !path->empty()) paths[static_cast<std::size_t>(n - 1)] = std::move(*path);
    }
    return paths;
}

std::optional<std::string> settingsPathFor(const char* xdgConfigHome, const char* home) {
    std::filesystem::path folder;
    if (xdgConfigHome != nullptr && std::filesystem::path(xdgConfigHome).is_absolute())
        folder = xdgConfigHome;
    else if (home != nullptr && std::filesystem::path(home).is_absolute())
        folder = std::filesystem::path(home) / ".config";
    else
        return std::nullopt;
    return (folder / "tovelisp" / "tovelisp.ini").string();
}

std::optional<std::string> defaultSettingsPath() {
    return settingsPathFor(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
}

} // namespace tovel
