// The Load Address dialog of Load At: where in the buffer the file goes, typed in hexadecimal or
// decimal. The field takes six characters in upper case and opens with the preset (the buffer's
// size, so that by default the file is appended).
//
// The main window hands the Workbench the prompt once:
//     workbench.setLoadAddressPrompt(LoadAddressDialog::prompt(this, workbench.messages()));
#pragma once

#include <cstdint>

#include "app/dialogs/translated_dialog.h"
#include "i18n/control_ids.h"
#include "image/load_address.h"

class QLineEdit;
class QRadioButton;

namespace tovel {

class LoadAddressDialog : public TranslatedDialog {
    Q_OBJECT

public:
    // The controls' resource ids, shared with the translation tables.
    using enum ui::loadAddressDialog::Control;
    static constexpr int kFieldLength = 6;

    LoadAddressDialog(std::int64_t preset, const Messages& messages, QWidget* parent = nullptr);

    // The address typed, read in the chosen radix; text without digits gives 0. Not range-checked:
    // the merge refuses a negative address or one beyond the buffer's reach.
    std::int64_t address() const;

    // Runs the dialog for a preset; nothing for Cancel. `messages` must outlive the prompt.
    static LoadAddressPrompt prompt(QWidget* parent, const Messages& messages);

private:
    QLineEdit* field_ = nullptr;
    QRadioButton* decimal_ = nullptr;
};

} // namespace tovel
