// The project the main window owns: the settings of one programming job (ProjectSettings), the
// project file they come from, and the two memory buffers whose image files the project names.
// Loading a project loads its images; saving it saves the images first.
#pragma once

#include <string>

#include "core/user_interface.h"
#include "i18n/messages.h"
#include "project/project_settings.h"

namespace tovel {

class MemoryBuffer;

// Told after every change the window shows: the title (project name, "*"), the "Inv" and "Inc"
// check boxes and the Flash preview's pair swap (from flashInvert and autoIncrementEeprom).
class ProjectObserver {
public:
    virtual ~ProjectObserver() = default;
    virtual void projectChanged() = 0;
};

class Project : public ProjectSettings {
public:
    // The start values: no file, ATmega8, SCK period 4 us, strobe 20 ms, delays 9/6 and 10/10.
    Project(UserInterface& ui, const Messages& messages);
    Project(const Project&) = delete;
    Project& operator=(const Project&) = delete;

    // Links the project to the window and the two buffers (none of them owned). Before this,
    // loading and saving touch no buffer.
    void attach(ProjectObserver* owner, MemoryBuffer* flash, MemoryBuffer* eeprom);

    // The project file's path as given; "[Unspecified]" when the project has none.
    const std::string& fileName() const { return fileName_; }
    // Changed since it was loaded or saved: a setting, or a buffer not saved to its file.
    bool modified() const { return settingsModified_ || buffersModified_; }
    // A setting changed since it was loaded or saved (the buffers aside).
    bool settingsModified() const { return settingsModified_; }
    ProjectSettings& settings() { return *this; }
    const ProjectSettings& settings() const { return *this; }

    // The "New" state (resetToNew) and no file. Keeps the modified flag and the buffers.
    bool reset();
    // Loads the project file and the images it names. "[Unspecified]" just resets. A file that
    // cannot be read or is not a project file (no Files/Flash key) shows "Error reading project
    // file '%s'" and returns false with the project unchanged. Images that cannot be read show
    // their own messages and leave their buffer empty; the load still succeeds.
    bool load(const std::string& path);
    // Saves both buffers (a buffer with data but no file asks for one), then writes every key
    // to `path`, keeping the lines of an existing file that are not ours. False, with "Cannot
    // save file" shown and the old file untouched, when the file cannot be written.
    bool save(const std::string& path);
    // Asks for a project file, then load. False when none was chosen or the load failed.
    bool openAndLoad();
    // Asks for a file name (".tvl" added when it has no extension), then save. True when the
    // project file was written.
    bool saveAs();
    // save to the project's file, or saveAs when it has none.
    bool saveOrSaveAs();
    // Resets and loads the project's file again, discarding changes without a question. False
    // only when the file name is empty or the load fails.
    bool reloadProject();

    // New: modified := false.
    void clearModified();
    // A setting changed (settings dialog, device choice, the "Inv" and "Inc" boxes).
    void markModified();
    // A buffer changed its content.
    void bufferMarkedModified();
    // A buffer now matches its file: when neither buffer is modified any more, only the
    // settings decide whether the project is modified.
    void buffersSaved();

    // Closes both buffers (Project Close, and the first step of loading images).
    void closeBuffers();

    FileChoice openChoice() const;
    FileChoice saveChoice() const;

private:
    void changed();
    void showError(unsigned messageId, const std::string& path);

    UserInterface& ui_;
    const Messages& messages_;
    ProjectObserver* owner_ = nullptr;
    MemoryBuffer* flash_ = nullptr;
    MemoryBuffer* eeprom_ = nullptr;

    std::string fileName_;
    bool settingsModified_ = false;
    bool buffersModified_ = false;
};

} // namespace tovel
