// The Language dialog: English or Russian for every text of the program.
//
//     LanguageDialog dialog(workbench.messages(), this);
//     if (dialog.exec() == QDialog::Accepted) workbench.setLanguage(dialog.language());
#pragma once

#include "app/dialogs/translated_dialog.h"

class QRadioButton;

namespace tovel {

class LanguageDialog : public TranslatedDialog {
    Q_OBJECT

public:
    enum Control : unsigned { OkId = 1, CancelId = 2, GroupId = 1104 };

    // Opens with the radio button of the current language (that of `messages`) checked.
    explicit LanguageDialog(const Messages& messages, QWidget* parent = nullptr);

    // Russian when its button is checked, otherwise English.
    Language language() const;

private:
    QRadioButton* russian_ = nullptr;
};

} // namespace tovel
