#include "app/language_dialog.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/dialogs/window_translation.h"
#include "i18n/ui_translation.h"

namespace tovel::app {

LanguageDialog::LanguageDialog(QWidget* parent, Language current)
    : QDialog(parent), english_(new QRadioButton(this)), russian_(new QRadioButton(this)) {
    auto* group = new QGroupBox(QStringLiteral("Language"), this);
    setControlId(group, ui::languageDialog::LanguageGroupId);
    english_->setText(QStringLiteral("English/Английский"));
    russian_->setText(QStringLiteral("Russian/Русский"));
    setControlId(english_, ui::languageDialog::EnglishRadioId);
    setControlId(russian_, ui::languageDialog::RussianRadioId);
    (current == Language::English ? english_ : russian_)->setChecked(true);

    auto* radios = new QVBoxLayout(group);
    radios->addWidget(english_);
    radios->addWidget(russian_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    setControlId(buttons->button(QDialogButtonBox::Cancel), ui::languageDialog::CancelId);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    translateWindow(*this, ui::LanguageDialogId, current);
}

Language LanguageDialog::chosen() const {
    return russian_->isChecked() ? Language::Russian : Language::English;
}

std::optional<Language> LanguageDialog::ask(QWidget* parent, Language current) {
    LanguageDialog dialog(parent, current);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.chosen();
}

} // namespace tovel::app

#include "moc_language_dialog.cpp"
