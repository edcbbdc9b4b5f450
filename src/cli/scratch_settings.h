// The settings file as this run sees it: a private copy of the person's file in a new temporary
// folder, removed when the run ends. The command line reads the port, speed, language and port
// map from it, but what the core writes during the run (opening a project marks it the one to
// reopen) stays in the copy: a script never changes the person's settings, and several runs at
// once do not fight over one file.
//
// The folder's name carries the run's process id, so that the folders of runs that were killed
// (SIGKILL, a power cut) can be told from those of runs still going, and are removed by the next
// run.
#pragma once

#include <optional>
#include <string>

namespace tovel::cli {

class ScratchSettings {
public:
    enum class Failure { None, TemporaryFolder, Source };

    // Copies `source` when it names a readable file; a missing default file gives an empty copy.
    explicit ScratchSettings(const std::optional<std::string>& source);
    ~ScratchSettings();
    ScratchSettings(const ScratchSettings&) = delete;
    ScratchSettings& operator=(const ScratchSettings&) = delete;

    // False when no temporary folder could be made, or `source` exists but could not be read.
    bool ok() const { return failure_ == Failure::None; }
    Failure failure() const { return failure_; }
    // Where the temporary folder is made: TMPDIR when it is an absolute path, else /tmp.
    const std::string& base() const { return base_; }
    const std::string& folder() const { return folder_; }
    const std::string& path() const { return path_; }

    // Removes the temporary folders under `base` that runs of this user left behind when they
    // were killed (their process is gone). Returns how many were removed.
    static int removeStaleFolders(const std::string& base);

private:
    std::string base_;
    std::string folder_;
    std::string path_;
    Failure failure_ = Failure::TemporaryFolder;
};

} // namespace tovel::cli
