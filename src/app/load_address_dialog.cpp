#include "app/load_address_dialog.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/window_translation.h"
#include "i18n/ui_translation.h"
#include "image/load_address.h"

namespace tovel::app {

LoadAddressDialog::LoadAddressDialog(QWidget* parent, std::int64_t preset, Language language)
    : QDialog(parent), field_(new QLineEdit(this)),
      decimal_(new QRadioButton(QStringLiteral("Decimal"), this)),
      hexadecimal_(new QRadioButton(QStringLiteral("Hexadecimal"), this)) {
    setWindowTitle(QStringLiteral("Load Address"));
    auto* group = new QGroupBox(QStringLiteral("Address"), this);
    setControlId(group, 1131);
    setControlId(decimal_, 1129);
    setControlId(hexadecimal_, 1130);
    setControlId(field_, 1128);
    field_->setMaxLength(6);
    field_->setText(QString::fromStdString(loadAddressPresetText(preset)));
    field_->selectAll();
    // The field takes upper case, as hexadecimal digits are shown.
    connect(field_, &QLineEdit::textEdited, this, [this](const QString& text) {
        const int cursor = field_->cursorPosition();
        field_->setText(text.toUpper());
        field_->setCursorPosition(cursor);
    });
    hexadecimal_->setChecked(true);

    auto* radios = new QHBoxLayout;
    radios->addWidget(decimal_);
    radios->addWidget(hexadecimal_);
    auto* inner = new QVBoxLayout(group);
    inner->addWidget(field_);
    inner->addLayout(radios);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    setControlId(buttons->button(QDialogButtonBox::Cancel), 2);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    translateWindow(*this, ui::LoadAddressDialogId, language);
}

std::int64_t LoadAddressDialog::address() const {
    return parseLoadAddress(field_->text().toStdString(), decimal_->isChecked()
                                                              ? LoadAddressRadix::Decimal
                                                              : LoadAddressRadix::Hexadecimal);
}

std::optional<std::int64_t> LoadAddressDialog::ask(QWidget* parent, std::int64_t preset, Language language) {
    LoadAddressDialog dialog(parent, preset, language);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.address();
}

} // namespace tovel::app

#include "moc_load_address_dialog.cpp"
