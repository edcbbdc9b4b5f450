#include "app/dialogs/self_program_dialog.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>

#include "i18n/ui_translation.h"

namespace tovel {

SelfProgramDialog::SelfProgramDialog(const std::string& currentVersion, const std::string& newVersion,
                                     const Messages& messages, QWidget* parent)
    : TranslatedDialog(ui::SelfProgramDialogId, messages, parent) {
    auto* group = addControl(SettingsGroupId, new QGroupBox(this));
    auto* grid = new QGridLayout(group);
    auto* currentLabel = addControl(CurrentVersionLabelId, new QLabel(group));
    auto* current = addControl(CurrentVersionId, new QLineEdit(group));
    auto* newLabel = addControl(NewVersionLabelId, new QLabel(group));
    auto* next = addControl(NewVersionId, new QLineEdit(group));
    for (QLineEdit* field : {current, next}) field->setReadOnly(true);
    normal_ = addControl(NormalSpeedId, new QRadioButton(group));
    auto* reduced = addControl(ReducedSpeedId, new QRadioButton(group));
    auto* radios = new QButtonGroup(this);
    radios->addButton(normal_);
    radios->addButton(reduced);
    grid->addWidget(currentLabel, 0, 0);
    grid->addWidget(current, 0, 1);
    grid->addWidget(newLabel, 1, 0);
    grid->addWidget(next, 1, 1);
    grid->addWidget(normal_, 2, 0, 1, 2);
    grid->addWidget(reduced, 3, 0, 1, 2);

    auto* update = addControl(UpdateId, new QPushButton(this));
    update->setDefault(true);
    auto* cancel = addControl(CancelId, new QPushButton(this));
    connect(update, &QPushButton::clicked, this, &SelfProgramDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &SelfProgramDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(update);
    buttons->addWidget(cancel);
    auto* top = new QVBoxLayout(this);
    top->addWidget(group);
    top->addLayout(buttons);

    retitle();
    nameFieldBy(CurrentVersionId, CurrentVersionLabelId);
    nameFieldBy(NewVersionId, NewVersionLabelId);
    normal_->setChecked(true);
    // After retitling, which puts "-" in both fields.
    current->setText(QString::fromStdString(currentVersion));
    next->setText(QString::fromStdString(newVersion));
    // The whole version text in view, from its start.
    for (QLineEdit* field : {current, next}) {
        field->setCursorPosition(0);
        const int textWidth = field->fontMetrics().horizontalAdvance(field->text());
        field->setMinimumWidth(
            std::max(field->sizeHint().width(), textWidth + 4 * field->fontMetrics().averageCharWidth()));
    }
}

UploadSpeed SelfProgramDialog::speed() const {
    return normal_->isChecked() ? UploadSpeed::Normal : UploadSpeed::Reduced;
}

SelfProgramSettings SelfProgramDialog::prompt(QWidget* parent, const Messages& messages) {
    QPointer<QWidget> owner(parent);
    return [owner, &messages](const std::string& currentVersion,
                              const std::string& newVersion) -> std::optional<UploadSpeed> {
        SelfProgramDialog dialog(currentVersion, newVersion, messages, owner.data());
        if (dialog.exec() != QDialog::Accepted) return std::nullopt;
        return dialog.speed();
    };
}

} // namespace tovel
