// The Project Settings dialog: the device, polling, signature check, synchronisation, SCK period,
// reset strobe, auto-program steps with the lock/fuse bits to program, the two serial-number
// counters and the write-delay overrides of a project.
//
// The main window opens it on the project and applies the result on OK:
//     WorkbenchLockFuseOperations operations(workbench);
//     ProjectSettingsDialog dialog(workbench.project().settings(), operations, workbench.messages(), this);
//     if (dialog.exec() == QDialog::Accepted) workbench.applyProjectSettings(dialog.settings());
//
// Before OK the dialog changes only two things in the project it is given: the reset strobe
// length, brought onto the slider's scale on opening (it stays so after Cancel), and the
// lock/fuse selection's `readable` flag, set by "Configure...".
#pragma once

#include <array>

#include "app/dialogs/lock_fuse_operations.h"
#include "app/dialogs/translated_dialog.h"
#include "i18n/control_ids.h"
#include "project/project_settings.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSlider;

namespace tovel {

class ProjectSettingsDialog : public TranslatedDialog {
    Q_OBJECT

public:
    // The controls' resource ids, shared with the translation tables.
    using enum ui::projectSettingsDialog::Control;

    struct DelayRange {
        int min;
        int max;
    };
    // A byte delay becomes a wait code of the board (255 - 7 * ms), which holds up to 36 ms.
    static constexpr DelayRange kByteDelayRange{0, 36};
    static constexpr DelayRange kFlashPageDelayRange{3, 50};
    // The EEPROM page delay takes the Flash page delay's range: the same kind of write, and
    // AVR and AT25 EEPROM pages need 3..10 ms.
    static constexpr DelayRange kEepromPageDelayRange{3, 50};
    static constexpr int kCounterAddressLength = 8;

    // `project` must outlive the dialog; see the header comment for what it changes in it.
    ProjectSettingsDialog(ProjectSettings& project, LockFuseOperations& operations, const Messages& messages,
                          QWidget* parent = nullptr);

    // After OK: the project's settings with the dialog's values; `deviceIndex` is the device chosen
    // in the list, for the main window to select.
    const ProjectSettings& settings() const { return result_; }
    // The lock/fuse selection "Configure..." works on; reaches the project only on OK.
    const LockFuseSettings& lockFuseSelection() const { return lockFuse_; }

    void accept() override;

private:
    void buildLayout();
    void showProject();
    void applyEnablingRules();
    void showStrobeLength(int position);
    void programFusesClicked(bool checked);
    // "Configure...": true when the person accepted lock/fuse values for auto-program.
    bool configureLockFuse();
    // The validated delay of an enabled field; nothing (after the validation message) when refused.
    bool readDelay(QCheckBox* override, QLineEdit* field, DelayRange range, std::int32_t& value);

    QCheckBox* check(unsigned id) const;
    QLineEdit* edit(unsigned id) const;

    ProjectSettings& project_;
    LockFuseOperations& operations_;
    LockFuseSettings lockFuse_;
    ProjectSettings result_;

    QComboBox* deviceList_ = nullptr;
    QComboBox* sckList_ = nullptr;
    QSlider* strobeSlider_ = nullptr;
    QLabel* strobeLabel_ = nullptr;
};

} // namespace tovel
