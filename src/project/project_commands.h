// The Project menu's commands as the main window runs them: New, Open, Reload, Save, Save As,
// Close, the recent-project entries, and the project opened at start-up. They keep the recent
// list and the "LoadMostRecent" flag of the settings file up to date and put "Project loaded"
// or "Project not loaded" on the status line.
//
// After each command the window refreshes itself: title, the recent entries of the menu
// (RecentProjects::menuEntries), and - when a command reports a loaded project - its SCK
// period and device selectors from the project.
#pragma once

#include <optional>
#include <string>

#include "core/user_interface.h"
#include "project/project.h"
#include "project/recent_projects.h"
#include "project/settings_file.h"

namespace tovel {

class ProjectCommands {
public:
    // The recent list starts from the settings file.
    ProjectCommands(Project& project, const SettingsFile& settings, UserInterface& ui);

    const RecentProjects& recent() const { return recent_; }

    // 32784 "&New": resets the project (device, timing and delays stay; so do the buffers),
    // clears its modified flag and LoadMostRecent.
    void newProject();
    // 32780 "&Open...": true when a project was loaded; its path then heads the recent list.
    bool open();
    // 32783 "&Reload": true when the project was loaded again (a project without a file ends
    // in the New state and counts as loaded).
    bool reload();
    // 32781 "&Save": true when the project file was written.
    bool save();
    // 32782 "Save &As...": true when a file was written; its path then heads the recent list.
    bool saveAs();
    // 32792 "&Close": resets the project, empties both buffers, clears LoadMostRecent.
    void close();
    // 32801 + slot: moves the entry to the top (also when its file is gone) and loads it.
    // True when it loaded.
    bool openRecent(int slot);

    // Start-up: the project named on the command line, else the most recent one when
    // LoadMostRecent is set. Returns whether a project was named and loaded; a named project
    // heads the recent list whether or not it loaded.
    bool openAtStartup(const std::optional<std::string>& commandLinePath);

    // Puts the path at the top of the recent list and writes the list.
    void addRecent(const std::string& path);
    // Writes the list (also done by every change; the window calls it again when it closes).
    void saveRecentList() const;

private:
    void reportLoad(bool loaded);

    Project& project_;
    const SettingsFile& settings_;
    UserInterface& ui_;
    RecentProjects recent_;
};

} // namespace tovel
