// The settings file as this run sees it: a private copy of the person's file in a new temporary
// folder, removed when the run ends. The command line reads the port, speed, language and port
// map from it, but what the core writes during the run (the port given with --port, the recent
// projects) stays in the copy: a script never changes the person's settings, and several runs on
// several ports at once do not fight over one file.
#pragma once

#include <optional>
#include <string>

namespace tovel::cli {

class ScratchSettings {
public:
    // Copies `source` when it names a readable file; a missing default file gives an empty copy.
    explicit ScratchSettings(const std::optional<std::string>& source);
    ~ScratchSettings();
    ScratchSettings(const ScratchSettings&) = delete;
    ScratchSettings& operator=(const ScratchSettings&) = delete;

    // False when no temporary folder could be made, or `source` exists but could not be read.
    bool ok() const { return ok_; }
    const std::string& path() const { return path_; }

private:
    std::string folder_;
    std::string path_;
    bool ok_ = false;
};

} // namespace tovel::cli
