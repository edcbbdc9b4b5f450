#include "app/dialogs/load_address_dialog.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "i18n/ui_translation.h"

namespace tovel {

LoadAddressDialog::LoadAddressDialog(std::int64_t preset, const Messages& messages, QWidget* parent)
    : TranslatedDialog(ui::LoadAddressDialogId, messages, parent) {
    auto* label = addControl(AddressLabelId, new QLabel(this));
    field_ = addControl(AddressFieldId, new QLineEdit(this));
    field_->setMaxLength(kFieldLength);
    label->setBuddy(field_);
    // Upper-case input: whatever is typed shows as it will be read.
    connect(field_, &QLineEdit::textEdited, this, [this](const QString& typed) {
        const QString upper = typed.toUpper();
        if (upper == typed) return;
        const int cursor = field_->cursorPosition();
        field_->setText(upper);
        field_->setCursorPosition(cursor);
    });

    decimal_ = addControl(DecimalId, new QRadioButton(this));
    auto* hexadecimal = addControl(HexadecimalId, new QRadioButton(this));
    auto* radios = new QButtonGroup(this);
    radios->addButton(decimal_);
    radios->addButton(hexadecimal);

    auto* ok = addControl(OkId, new QPushButton(QStringLiteral("OK"), this));
    ok->setDefault(true);
    auto* cancel = addControl(CancelId, new QPushButton(this));
    connect(ok, &QPushButton::clicked, this, &LoadAddressDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &LoadAddressDialog::reject);

    auto* fieldRow = new QHBoxLayout;
    fieldRow->addWidget(label);
    fieldRow->addWidget(field_, 1);
    auto* radioRow = new QHBoxLayout;
    radioRow->addWidget(decimal_);
    radioRow->addWidget(hexadecimal);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* top = new QVBoxLayout(this);
    top->addLayout(fieldRow);
    top->addLayout(radioRow);
    top->addLayout(buttons);

    retitle();
    field_->setText(QString::fromStdString(loadAddressPresetText(preset)));
    field_->selectAll();
    hexadecimal->setChecked(true);
}

std::int64_t LoadAddressDialog::address() const {
    const LoadAddressRadix radix =
        decimal_->isChecked() ? LoadAddressRadix::Decimal : LoadAddressRadix::Hexadecimal;
    return parseLoadAddress(field_->text().toStdString(), radix);
}

LoadAddressPrompt LoadAddressDialog::prompt(QWidget* parent, const Messages& messages) {
    QPointer<QWidget> owner(parent);
    return [owner, &messages](std::int64_t preset) -> std::optional<std::int64_t> {
        LoadAddressDialog dialog(preset, messages, owner.data());
        if (dialog.exec() != QDialog::Accepted) return std::nullopt;
        return dialog.address();
    };
}

} // namespace tovel
