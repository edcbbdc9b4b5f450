#include "project/project_commands.h"

#include "core/no_file_name.h"

namespace tovel {

namespace {

// Shown as they stand in both languages; they are not catalogue texts.
const char* const kProjectLoaded = "Project loaded";
const char* const kProjectNotLoaded = "Project not loaded";

} // namespace

ProjectCommands::ProjectCommands(Project& project, const SettingsFile& settings, UserInterface& ui)
    : project_(project), settings_(settings), ui_(ui), recent_(settings.readRecentProjects()) {}

void ProjectCommands::addRecent(const std::string& path) {
    recent_.add(path);
    saveRecentList();
}

void ProjectCommands::saveRecentList() const { settings_.writeRecentProjects(recent_.slots()); }

void ProjectCommands::reportLoad(bool loaded) {
    if (loaded) settings_.writeLoadMostRecent(true);
    ui_.setStatus(loaded ? kProjectLoaded : kProjectNotLoaded);
}

void ProjectCommands::newProject() {
    project_.reset();
    project_.clearModified();
    settings_.writeLoadMostRecent(false);
}

bool ProjectCommands::open() {
    const bool loaded = project_.openAndLoad();
    if (loaded) addRecent(project_.fileName());
    reportLoad(loaded);
    return loaded;
}

bool ProjectCommands::reload() {
    const bool loaded = project_.reloadProject();
    reportLoad(loaded);
    return loaded;
}

bool ProjectCommands::save() { return project_.saveOrSaveAs(); }

bool ProjectCommands::saveAs() {
    const bool written = project_.saveAs();
    if (written) addRecent(project_.fileName());
    return written;
}

void ProjectCommands::close() {
    project_.reset();
    project_.closeBuffers();
    settings_.writeLoadMostRecent(false);
}

bool ProjectCommands::openRecent(int slot) {
    if (slot < 0 || slot >= RecentProjects::kSlotCount) return false;
    const std::string path = recent_.slot(slot); // a copy: the list changes next
    if (path == kUnspecifiedFileName) return false;
    addRecent(path);
    const bool loaded = project_.load(path);
    settings_.writeLoadMostRecent(true);
    return loaded;
}

bool ProjectCommands::openAtStartup(const std::optional<std::string>& commandLinePath) {
    std::string path = kUnspecifiedFileName;
    if (settings_.readLoadMostRecent()) path = recent_.mostRecent();
    if (commandLinePath) path = *commandLinePath;
    if (path == kUnspecifiedFileName) return false;
    addRecent(path);
    return project_.load(path);
}

} // namespace tovel
