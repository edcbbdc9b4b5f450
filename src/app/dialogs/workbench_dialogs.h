// The dialogs of the main window's commands, run over the Workbench: each starts from the
// Workbench's state, runs modally, and hands what the person chose back to the Workbench.
// The main window's dialog hooks call these.
#pragma once

#include <QString>

#include <string>

class QWidget;

namespace tovel {

class Workbench;
struct LockFuseSettings;

// "&Project Settings..." (command::ProjectSettings) and a click on the status line. True when closed with OK;
// the settings are then applied (project marked modified, the chosen device selected).
bool runProjectSettings(QWidget* parent, Workbench& workbench);

// "&Board Settings..." (command::BoardSettings): starts from the port and speed stored in the settings file;
// OK stores both.
bool runBoardSettings(QWidget* parent, Workbench& workbench);

// Advanced Board Settings (command::AdvancedBoardSettings, a right double-click): starts from the stored
// board delays; OK stores them.
bool runAdvancedBoardSettings(QWidget* parent, Workbench& workbench);

// WorkbenchObserver::openLockFuseDialog: the Lock/Fuse Bits dialog in normal mode on what the
// "&Lock&&Fuse Bits..." command read.
void runLockFuseBits(QWidget* parent, Workbench& workbench, int deviceNo,
                     const LockFuseSettings& readFromChip);

// "&Update firmware version..." (command::UpdateFirmware): the update, with the Self-Program Settings dialog
// as its question. `imagePath` empty: the installed image.
bool runFirmwareUpdate(QWidget* parent, Workbench& workbench, const std::string& imagePath = std::string());

// "&About" (16).
// `manualPath`: the installed manual the box links to (empty: none found).
void runAbout(QWidget* parent, const Workbench& workbench, const QString& manualPath);

// Makes the Load Address dialog Load At's address question. `parent` should outlive the Workbench's
// use of it (the main window).
void installLoadAddressDialog(QWidget* parent, Workbench& workbench);

} // namespace tovel
