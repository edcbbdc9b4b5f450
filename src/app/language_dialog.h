// The Language dialog: English or Russian, OK and Cancel. It opens with the current language
// checked and is itself shown in the current language.
#pragma once

#include <QDialog>
#include <optional>

#include "i18n/messages.h"

class QRadioButton;

namespace tovel::app {

class LanguageDialog : public QDialog {
    Q_OBJECT

public:
    LanguageDialog(QWidget* parent, Language current);

    Language chosen() const;
    QRadioButton* englishButton() const { return english_; }
    QRadioButton* russianButton() const { return russian_; }

    // Shows the dialog; the language chosen on OK, nothing on Cancel.
    static std::optional<Language> ask(QWidget* parent, Language current);

private:
    QRadioButton* english_;
    QRadioButton* russian_;
};

} // namespace tovel::app
