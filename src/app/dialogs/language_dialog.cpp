#include "app/dialogs/language_dialog.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "i18n/ui_translation.h"

namespace tovel {

LanguageDialog::LanguageDialog(const Messages& messages, QWidget* parent)
    : TranslatedDialog(ui::LanguageDialogId, messages, parent) {
    auto* group = addControl(GroupId, new QGroupBox(this));
    auto* groupLayout = new QVBoxLayout(group);
    auto* english = addControl(ui::EnglishRadioId, new QRadioButton(group));
    russian_ = addControl(ui::RussianRadioId, new QRadioButton(group));
    auto* radios = new QButtonGroup(this);
    radios->addButton(english);
    radios->addButton(russian_);
    groupLayout->addWidget(english);
    groupLayout->addWidget(russian_);

    auto* ok = addControl(OkId, new QPushButton(QStringLiteral("OK"), this));
    ok->setDefault(true);
    auto* cancel = addControl(CancelId, new QPushButton(this));
    connect(ok, &QPushButton::clicked, this, &LanguageDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &LanguageDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* top = new QVBoxLayout(this);
    top->addWidget(group);
    top->addLayout(buttons);

    retitle();
    (messages.language() == Language::Russian ? russian_ : english)->setChecked(true);
}

Language LanguageDialog::language() const {
    return russian_->isChecked() ? Language::Russian : Language::English;
}

} // namespace tovel
