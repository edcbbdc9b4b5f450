#include "app/dialogs/workbench_dialogs.h"

#include "app/dialogs/about_dialog.h"
#include "app/dialogs/advanced_board_settings_dialog.h"
#include "app/dialogs/board_settings_dialog.h"
#include "app/dialogs/load_address_dialog.h"
#include "app/dialogs/lock_fuse_dialog.h"
#include "app/dialogs/project_settings_dialog.h"
#include "app/dialogs/self_program_dialog.h"
#include "app/dialogs/workbench_lock_fuse_operations.h"
#include "project/project.h"
#include "project/settings_file.h"
#include "workbench/workbench.h"

namespace tovel {

bool runProjectSettings(QWidget* parent, Workbench& workbench) {
    WorkbenchLockFuseOperations operations(workbench);
    ProjectSettingsDialog dialog(workbench.project().settings(), operations, workbench.messages(), parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    workbench.applyProjectSettings(dialog.settings());
    return true;
}

bool runBoardSettings(QWidget* parent, Workbench& workbench) {
    const SettingsFile& file = workbench.settingsFile();
    BoardSettingsDialog dialog(file.readComPort(), file.readBaudIndex(), workbench.portMap(),
                               workbench.messages(), parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    workbench.setPortAndSpeed(dialog.comPort(), dialog.baudIndex());
    return true;
}

bool runAdvancedBoardSettings(QWidget* parent, Workbench& workbench) {
    AdvancedBoardSettingsDialog dialog(workbench.settingsFile().readBoardDelays(), parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    return workbench.setBoardDelays(dialog.delays());
}

void runLockFuseBits(QWidget* parent, Workbench& workbench, int deviceNo,
                     const LockFuseSettings& readFromChip) {
    WorkbenchLockFuseOperations operations(workbench);
    LockFuseDialog dialog(deviceNo, readFromChip, operations, workbench.messages(),
                          LockFuseDialog::Mode::Normal, parent);
    dialog.exec();
}

bool runFirmwareUpdate(QWidget* parent, Workbench& workbench, const std::string& imagePath) {
    return workbench.updateFirmware(imagePath, SelfProgramDialog::prompt(parent, workbench.messages())) ==
           Outcome::Ok;
}

void runAbout(QWidget* parent, const Workbench& workbench, const QString& manualPath) {
    AboutDialog dialog(workbench.messages(), parent, manualPath);
    dialog.exec();
}

void installLoadAddressDialog(QWidget* parent, Workbench& workbench) {
    workbench.setLoadAddressPrompt(LoadAddressDialog::prompt(parent, workbench.messages()));
}

} // namespace tovel
