// The Advanced Board Settings dialog: the four board delays, each 0..1000 ms. It has no
// translation record and reads in English in both languages.
//
// The main window reloads the delays from the settings file and stores them on OK:
//     AdvancedBoardSettingsDialog dialog(workbench.settingsFile().readBoardDelays(), this);
//     if (dialog.exec() == QDialog::Accepted) workbench.setBoardDelays(dialog.delays());
#pragma once

#include <array>

#include "app/dialogs/translated_dialog.h"
#include "i18n/control_ids.h"
#include "project/board_settings.h"

class QLineEdit;

namespace tovel {

class AdvancedBoardSettingsDialog : public TranslatedDialog {
    Q_OBJECT

public:
    // The controls' resource ids (the dialog has no translation record).
    using enum ui::advancedBoardSettingsDialog::Control;

    explicit AdvancedBoardSettingsDialog(const BoardDelays& delays, QWidget* parent = nullptr);

    // After OK: the four values, each within 0..1000.
    const BoardDelays& delays() const { return delays_; }

    void accept() override;

private:
    std::array<QLineEdit*, 4> fields_{};
    BoardDelays delays_;
};

} // namespace tovel
