// The program's own settings file: port, speed, board delays, language, the recent projects and
// the device paths of the ports. Every reading opens the file afresh and every writing updates
// only its keys (through a temporary file renamed over the old one), so other keys, comments and
// lines written by hand stay. A missing or unreadable file, section or key gives the default.
//
// Sections and keys:
//   [Connect]  COM, HighSpeed, Special1..Special4, TraceFile (the desktop program's line trace)
//   [Language] Russian (any non-zero value means Russian; written as 1 or 0)
//   [Recent]   LoadMostRecent, Project1..Project8
//   [Ports]    COM1..COM8: device path of each port number, e.g. COM1=/dev/ttyUSB0
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "i18n/messages.h"
#include "project/board_settings.h"
#include "project/recent_projects.h"

namespace tovel {

class IniFile;

// What start-up reads (step S1).
struct AppSettings {
    std::int32_t comPort = 0; // 1..8; 0 = no board chosen
    std::int32_t baudIndex = Baud19200;
    BoardDelays boardDelays;
    Language language = Language::English;
    bool loadMostRecent = false;

    bool operator==(const AppSettings&) const = default;
};

// Device path for each port number 1..8 (index 0 = COM1); nothing where the file names none.
using PortPaths = std::array<std::optional<std::string>, kComPortCount>;

class SettingsFile {
public:
    explicit SettingsFile(std::string path) : path_(std::move(path)) {}
    const std::string& path() const { return path_; }

    // S1: "HighSpeed", "COM", "Russian", "Special1".."Special4" and "LoadMostRecent", defaults 0.
    AppSettings read() const;
    // S2: "COM", "HighSpeed" and "Russian" (1 or 0). Returns false when the file could not be written.
    bool write(std::int32_t comPort, std::int32_t baudIndex, Language language) const;

    // Board Settings dialog: reloads port and speed before showing, stores them on OK.
    std::int32_t readComPort() const;
    std::int32_t readBaudIndex() const;
    bool writePortAndSpeed(std::int32_t comPort, std::int32_t baudIndex) const;

    // Advanced Board Settings dialog: reloads the delays before showing, stores them on OK.
    BoardDelays readBoardDelays() const;
    bool writeBoardDelays(const BoardDelays& delays) const;

    // Whether the desktop program shows its Messages panel.
    bool readShowMessages() const;
    bool writeShowMessages(bool show) const;

    // The file the desktop program traces the board's line to; empty: no trace.
    std::string readTraceFile() const;
    bool writeTraceFile(const std::string& path) const;

    bool readLoadMostRecent() const;
    bool writeLoadMostRecent(bool reopen) const;

    // "Project1".."Project8" into the slots; a missing key gives "[Unspecified]".
    RecentProjects::Slots readRecentProjects() const;
    // Every slot; an empty one as "[Unspecified]".
    bool writeRecentProjects(const RecentProjects::Slots& slots) const;

    PortPaths readPortPaths() const;

private:
    IniFile load() const;
    // Reads the file, lets `edit` change the document and writes it back. False when the old
    // file exists but cannot be read (it is not overwritten) or the new one cannot be written.
    template <typename Edit> bool update(Edit edit) const;

    std::string path_;
};

// Where the settings file lives unless a front end names another: $XDG_CONFIG_HOME (when it is
// an absolute path), else $HOME/.config, then "tovelisp/tovelisp.ini". Nothing when neither
// variable gives an absolute folder.
std::optional<std::string> settingsPathFor(const char* xdgConfigHome, const char* home);
std::optional<std::string> defaultSettingsPath(); // from this process's environment

} // namespace tovel
