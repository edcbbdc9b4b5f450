// The Self-Program Settings dialog of the firmware update: shows the board's current firmware
// version and the one to be uploaded, and lets the person upload at normal or reduced speed.
//
// The main window runs the update with the dialog as its settings question:
//     workbench.updateFirmware(imagePath, SelfProgramDialog::prompt(this, workbench.messages()));
#pragma once

#include <optional>
#include <string>

#include "app/dialogs/translated_dialog.h"
#include "board/firmware_update.h"
#include "i18n/control_ids.h"

class QLineEdit;
class QRadioButton;

namespace tovel {

class SelfProgramDialog : public TranslatedDialog {
    Q_OBJECT

public:
    // The controls' resource ids, shared with the translation tables.
    using enum ui::selfProgramDialog::Control;

    SelfProgramDialog(const std::string& currentVersion, const std::string& newVersion,
                      const Messages& messages, QWidget* parent = nullptr);

    // After "Update": normal speed unless "Program at reduced speed" is checked.
    UploadSpeed speed() const;

    // Runs the dialog: the chosen speed for "Update", nothing for Cancel. `messages` must
    // outlive the prompt.
    static SelfProgramSettings prompt(QWidget* parent, const Messages& messages);

private:
    QRadioButton* normal_ = nullptr;
};

} // namespace tovel
