// The main window: the Flash and EEPROM areas with their previews, the device area with the
// operation buttons, the status line, the SCK period list and the menu. Every menu item and button
// reaches the command map (runCommand: one handler per command id), which calls the Workbench;
// the Workbench tells the window what to redraw through WorkbenchObserver.
//
// The width is fixed; when the window grows taller the Flash area grows and everything below it
// moves down.
#pragma once

#include <QMainWindow>
#include <QStringList>
#include <functional>
#include <map>

#include "workbench/workbench.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QPushButton;

namespace tovel::app {

class MainMenu;
class HelpWindow;
class MemoryPreview;
class MessagesPanel;
class PathLabel;
class QtLanguage;
class QtUserInterface;
class StatusLine;

// The dialogs the window opens that live elsewhere. An empty hook leaves its command without
// effect (the Project Settings and Lock/Fuse dialogs, for instance, are separate pieces).
struct DialogHooks {
    // Project Settings (menu, or a click on the status line): on OK the dialog calls
    // Workbench::applyProjectSettings.
    std::function<void(bool fromStatusLine)> projectSettings;
    // Advanced Board Settings (a right double-click on the window).
    std::function<void()> advancedBoardSettings;
    // The Lock/Fuse Bits dialog, after the command has read the chip.
    std::function<void(int deviceNo, const LockFuseSettings& readFromChip)> lockFuseBits;
    // Update firmware version: the Self-Program Settings dialog, then the update.
    std::function<void()> updateFirmware;
    std::function<void()> about;
    // Showing the help document; default the program's own help window.
    std::function<bool(const QString& path)> openDocument;
};

class MainWindow : public QMainWindow, public WorkbenchObserver {
    Q_OBJECT

public:
    MainWindow(Workbench& workbench, QtUserInterface& ui, QtLanguage* qtLanguage = nullptr,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    void setDialogHooks(DialogHooks hooks) { hooks_ = std::move(hooks); }

    // The command map: runs the command of a menu item or button id (command_ids.h); an id
    // without a handler does nothing.
    void runCommand(int commandId);
    // True when the command map has a handler for this id.
    bool hasCommand(int commandId) const { return commands_.count(commandId) != 0; }

    // Files dropped at `position` (window coordinates): exactly one file is taken; a project
    // opens as a project wherever it lands, any other file loads into the preview under it, and
    // outside both previews the window beeps.
    void dropFiles(const QStringList& paths, const QPoint& position);

    // Retitles the window and its menu in the workbench's language and refreshes it.
    void retranslate();

    // Fixes the window's width and its minimum height at its laid-out size.
    void fixSizeToContent();

    // Parts, for start-up and tests.
    Workbench& workbench() { return workbench_; }
    MainMenu& menu() { return *menu_; }
    MemoryPreview& flashPreview() { return *flashPreview_; }
    MemoryPreview& eepromPreview() { return *eepromPreview_; }
    StatusLine& statusLine() { return *statusLine_; }
    QComboBox& familyCombo() { return *familyCombo_; }
    QComboBox& deviceCombo() { return *deviceCombo_; }
    QComboBox& sckCombo() { return *sckCombo_; }
    QCheckBox& invertBox() { return *invertBox_; }
    QCheckBox& incrementBox() { return *incrementBox_; }
    QGroupBox& flashGroup() { return *flashGroup_; }
    QGroupBox& eepromGroup() { return *eepromGroup_; }
    QGroupBox& deviceGroup() { return *deviceGroup_; }
    PathLabel& flashName() { return *flashName_; }
    PathLabel& eepromName() { return *eepromName_; }
    MessagesPanel& messagesPanel() { return *messagesPanel_; }
    HelpWindow* helpWindow() const { return helpWindow_; } // null until Help was opened
    // The window's button with this command id, or null.
    QPushButton* button(int commandId) const;

    // Opens the help document in the help window (Help "&Help"), in the program's language
    // where the manual exists in it.
    void openHelp();

Q_SIGNALS:
    // The window beeped at a drop it could not take.
    void beeped();

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // WorkbenchObserver
    void deviceSelected(int deviceNo) override;
    void bufferContentChanged(Memory memory) override;
    void bufferLabelChanged(Memory memory, const std::string& text) override;
    void projectChanged() override;
    void titleChanged(const std::string& title) override;
    void commandStatesChanged(const CommandStates& states) override;
    void recentProjectsChanged(const RecentProjects& recent) override;
    void languageChanged(Language language) override;
    void openLockFuseDialog(int deviceNo, const LockFuseSettings& readFromChip) override;

    void mapCommands();
    void buildWidgets();
    QWidget* buildFlashArea();
    QWidget* buildEepromArea();
    QWidget* buildDeviceArea();
    QPushButton* addButton(int commandId, const char* text, QWidget* parent);
    void fillDeviceCombo(int family);
    void familyChosen(int family);
    void deviceChosen();
    void chooseLanguage();
    void boardSettings();
    void beep();
    void buildMessagesPanel();
    void nameControlsWithoutText(Language language);

    Workbench& workbench_;
    QtUserInterface& ui_;
    QtLanguage* qtLanguage_;
    DialogHooks hooks_;

    MainMenu* menu_ = nullptr;
    QGroupBox* flashGroup_ = nullptr;
    QGroupBox* eepromGroup_ = nullptr;
    QGroupBox* deviceGroup_ = nullptr;
    PathLabel* flashName_ = nullptr;
    PathLabel* eepromName_ = nullptr;
    QCheckBox* invertBox_ = nullptr;
    QCheckBox* incrementBox_ = nullptr;
    MemoryPreview* flashPreview_ = nullptr;
    MemoryPreview* eepromPreview_ = nullptr;
    QComboBox* familyCombo_ = nullptr;
    QComboBox* deviceCombo_ = nullptr;
    QComboBox* sckCombo_ = nullptr;
    StatusLine* statusLine_ = nullptr;
    MessagesPanel* messagesPanel_ = nullptr;
    HelpWindow* helpWindow_ = nullptr;
    std::map<int, std::function<void()>> commands_; // command id -> handler: the command map
};

} // namespace tovel::app
