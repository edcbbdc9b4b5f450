// The one core object behind the main window: it holds what the window owns (the language, the
// settings file and the board settings, the project with its recent list, the Flash and EEPROM
// buffers, the selected device, the board session, the results of the last operations) and has
// one method per command of the window's command map. The desktop program and the command line
// both drive it; neither holds protocol, file or device logic of its own.
//
// Everything runs on the caller's thread; long operations run their worker behind
// UserInterface::runModal and return when it has ended. Results go to the status line and boxes
// through the UserInterface; what a front end must redraw is told through the WorkbenchObserver.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "board/firmware_update.h"
#include "core/clock.h"
#include "core/outcome.h"
#include "core/user_interface.h"
#include "devices/lock_fuse_settings.h"
#include "i18n/messages.h"
#include "ops/lock_fuse_operations.h"
#include "project/board_settings.h"
#include "workbench/drop_rules.h"
#include "workbench/refresh_rules.h"

namespace tovel {

class BoardSession;
class MemoryBuffer;
class PortMap;
class Project;
class ProjectCommands;
class RecentProjects;
class SerialChannel;
class SettingsFile;
struct AppSettings;
struct ChipContext;
struct OperationState;
struct ProjectSettings;

enum class Memory { Flash, Eeprom };

// What a front end redraws. Every call comes on the thread that called the Workbench.
class WorkbenchObserver {
public:
    virtual ~WorkbenchObserver() = default;

    // The selected device changed (by the person, a project, or a signature read naming another
    // chip): the device lists and the device-dependent controls follow.
    virtual void deviceSelected(int /*deviceNo*/) {}
    // A buffer's bytes, attributes or size changed: repaint its preview.
    virtual void bufferContentChanged(Memory /*memory*/) {}
    // A buffer's name label ("[Unspecified]", the file name, "*" when modified).
    virtual void bufferLabelChanged(Memory /*memory*/, const std::string& /*text*/) {}
    // The project changed: the title, the "Inv" and "Inc" boxes and the SCK period list follow.
    virtual void projectChanged() {}
    // The window title text (see windowTitle).
    virtual void titleChanged(const std::string& /*title*/) {}
    // The enabled state of the commands (see commandStatesFor).
    virtual void commandStatesChanged(const CommandStates& /*states*/) {}
    // The recent-projects entries of the Project menu.
    virtual void recentProjectsChanged(const RecentProjects& /*recent*/) {}
    // The language changed: retranslate the window.
    virtual void languageChanged(Language /*language*/) {}
    // The board port changed (board search, Board Settings).
    virtual void boardSettingsChanged(int /*comPort*/, int /*baudIndex*/) {}
    // The "&Lock&&Fuse Bits..." command has read the chip: open the lock/fuse dialog for
    // `deviceNo` with what was read. A front end without the dialog may show the values.
    virtual void openLockFuseDialog(int /*deviceNo*/, const LockFuseSettings& /*readFromChip*/) {}
};

class Workbench {
public:
    // Makes the serial channel for the port map the Workbench keeps (filled from the settings
    // file's [Ports] section).
    using ChannelFactory = std::function<std::unique_ptr<SerialChannel>(const PortMap& ports)>;
    // Load At's address question, given the preset (the buffer's size); nothing means Cancel.
    using LoadAddressPrompt = std::function<std::optional<std::int64_t>(std::int64_t preset)>;

    // The channel belongs to the caller and must outlive the Workbench; its port numbers are
    // the caller's business (a test opens a pty through the direct port).
    Workbench(UserInterface& ui, Clock& clock, SerialChannel& channel, std::string settingsPath);
    // The Workbench makes its channel over its own port map.
    Workbench(UserInterface& ui, Clock& clock, const ChannelFactory& makeChannel, std::string settingsPath);
    ~Workbench();
    Workbench(const Workbench&) = delete;
    Workbench& operator=(const Workbench&) = delete;

    // Null detaches. The observer is told the current state at once.
    void setObserver(WorkbenchObserver* observer);
    void setLoadAddressPrompt(LoadAddressPrompt prompt);

    // --- Start-up and exit ---

    // S1: port, speed, language and board delays from the settings file.
    void readSettings();
    // S2: "COM", "HighSpeed" and "Russian" to the settings file. False when it could not be written.
    bool writeSettings();
    // The exit steps: S2, then the recent-projects list.
    void shutDown();
    // The project named on the command line, else the most recent one when LoadMostRecent is
    // set; the device and SCK period follow the project. True when a project was named and loaded.
    bool openProjectAtStartup(const std::optional<std::string>& commandLinePath);
    // The unattended run: clears autoProgramOk, runs auto-program, shows "AUTOPROGRAM: OK" or
    // "AUTOPROGRAM: Error" in a plain box (after autoProgramOk) and returns the run's outcome,
    // which also fails a run whose lock and fuse bits alone failed.
    Outcome runUnattendedAutoProgram();

    // --- Unsaved work ---

    // Before the project and both buffers are thrown away (New, Open, Reload, Close, a recent or
    // dropped project, Exit): with unsaved changes, asks Save / Discard / Cancel. True when the
    // work may go: nothing unsaved, discarded, or saved; false on Cancel or a save that did not
    // happen. The unattended run never comes here.
    bool mayDiscardProject();
    // The same for one buffer about to be replaced or closed.
    bool mayDiscardBuffer(Memory memory);
    // What mayDiscardProject would ask about.
    bool hasUnsavedWork() const;

    // --- Project menu ---

    void newProject();
    bool openProject();                            // asks for the file
    bool openProjectFile(const std::string& path); // a given file (command line, dropped file)
    bool reloadProject();
    bool saveProject();
    bool saveProjectAs();
    void closeProject();
    bool openRecentProject(int slot); // 0..7; command 32801 + slot
    // The Project Settings dialog's OK: takes the settings (device included), marks the
    // project modified and selects the device.
    void applyProjectSettings(const ProjectSettings& settings);

    // --- Flash and Eeprom menus ---

    bool loadBuffer(Memory memory); // asks for the file
    bool loadBufferFile(Memory memory, const std::string& path);
    bool loadBufferAt(Memory memory); // asks for the file and the address
    bool reloadBuffer(Memory memory);
    bool saveBuffer(Memory memory);
    bool saveBufferAs(Memory memory);
    bool closeBuffer(Memory memory);
    // Writes a buffer whose serial counter moved back into the file it was loaded from, in the
    // format it was loaded as, only when that file is unchanged on disk since; otherwise a box
    // says why and the file is left alone. True when written.
    bool writeCounterBack(Memory memory);
    // A file dropped on the window: a project by its extension "tvk", else into the buffer under
    // the drop point, after asking about the unsaved work it would replace. False when the drop
    // was ignored (the front end beeps for DropTarget::None).
    bool dropFile(const std::string& path, DropTarget target);

    // --- Chip operations ---
    // Each returns its outcome (what the person was told, as a value); those that keep an
    // operation status (erase, blank check, program, verify) keep the same value there.

    Outcome programFlash();
    Outcome verifyFlash();
    Outcome readFlash();
    Outcome programEeprom();
    Outcome verifyEeprom();
    Outcome readEeprom();
    Outcome chipErase();
    Outcome readSignature();       // Advanced "&Read Signature..." (32777)
    Outcome readSignatureButton(); // the "Read signature" button (1103): AT45 detection included
    Outcome blankCheck();
    Outcome readCalibrationBytes();
    // Cancelled when the person declined the lock and fuse values before the run.
    Outcome autoProgram();
    // "&Lock&&Fuse Bits...": reads the chip, then asks the observer to open the dialog.
    Outcome lockFuseCommand();
    // The lock/fuse operations of the dialog and the command line. A read is Ok also for a chip
    // whose bits cannot be read (`readable` 0).
    Outcome readLockFuse(LockFuseSettings& settings);
    // `sessionOpened`: something was sent (the dialog then shows the values as the chip's).
    LockFuseWrite programLockFuse(const LockFuseSettings& settings);
    Outcome verifyLockFuse(const LockFuseSettings& expected);

    // --- Board commands ---

    // Ok when a board was found (it becomes the port).
    Outcome searchBoard();
    Outcome showBoardInfo();
    // `imagePath` empty: the installed image. Ok when the board runs the new firmware.
    Outcome updateFirmware(const std::string& imagePath, const SelfProgramSettings& settingsDialog);

    // --- Settings ---

    // Board Settings OK: both stored and written to the settings file.
    bool setPortAndSpeed(int comPort, int baudIndex);
    bool setComPort(int comPort);
    bool setBaudIndex(int baudIndex);
    // For this run only (a command-line option): nothing is written now; writeSettings and
    // shutDown would store them as they store any port.
    void overridePortAndSpeed(int comPort, int baudIndex);
    // Advanced Board Settings OK: false (nothing changed) when a value is outside 0..1000.
    bool setBoardDelays(const BoardDelays& delays);
    void setLanguage(Language language);

    // --- Device and window controls ---

    // Selects row `deviceNo` (ignored outside the table): sets the project's DeviceNo and marks
    // the project modified when it changes, and tells the observer.
    void selectDevice(int deviceNo);
    // The SCK period list (the project is not marked modified).
    void setSckPeriod(int sckPeriodIndex);
    void setFlashInvert(bool inverted);   // "Inv"
    void setEepromAutoIncrement(bool on); // "Inc"

    // --- State ---

    int deviceNo() const;
    int comPort() const;
    int baudIndex() const;
    const BoardDelays& boardDelays() const;
    Language language() const;
    CommandStates commandStates() const;
    std::string title() const;
    bool autoProgramOk() const;

    UserInterface& ui();
    const Messages& messages() const;
    Clock& clock();
    const AppSettings& settings() const;
    const SettingsFile& settingsFile() const;
    PortMap& portMap();
    Project& project();
    const Project& project() const;
    ProjectCommands& projectCommands();
    MemoryBuffer& buffer(Memory memory);
    const MemoryBuffer& buffer(Memory memory) const;
    MemoryBuffer& flash() { return buffer(Memory::Flash); }
    MemoryBuffer& eeprom() { return buffer(Memory::Eeprom); }
    BoardSession& session();
    OperationState& state();
    const OperationState& state() const;
    ChipContext& chipContext();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace tovel
