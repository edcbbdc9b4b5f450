#include "app/dialogs/translated_dialog.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include "i18n/ui_translation.h"

namespace tovel {

namespace {

// Buttons and group boxes read "&" as the mnemonic marker and "&&" as an ampersand, as the
// tables do; a label without a buddy would show the markers, so it gets the plain text.
void setControlText(QWidget* widget, std::string_view text) {
    const QString qtext = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->setText(qtext);
    } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
        group->setTitle(qtext);
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(label->buddy() != nullptr ? qtext : QString::fromStdString(ui::withoutMnemonic(text)));
    } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        edit->setText(qtext);
    }
}

} // namespace

TranslatedDialog::TranslatedDialog(unsigned dialogId, const Messages& messages, QWidget* parent)
    : QDialog(parent), dialogId_(dialogId), messages_(messages) {}

void TranslatedDialog::registerControl(unsigned id, QWidget* widget) {
    controls_.insert(id, widget);
    widget->setObjectName(QStringLiteral("control%1").arg(id));
}

void TranslatedDialog::retitle() {
    const std::optional<ui::DialogTexts> texts = ui::dialogTexts(dialogId_, messages_.language());
    if (!texts) return;
    setWindowTitle(texts->title
                       ? QString::fromUtf8(texts->title->data(), static_cast<qsizetype>(texts->title->size()))
                       : QString());
    for (const ui::ControlText& entry : texts->controls) {
        if (QWidget* widget = control(entry.controlId)) setControlText(widget, entry.text);
    }
}

void TranslatedDialog::nameFieldBy(unsigned fieldId, unsigned namingId) {
    QWidget* field = control(fieldId);
    QWidget* naming = control(namingId);
    if (field == nullptr || naming == nullptr) return;
    QString name;
    if (const auto* button = qobject_cast<QAbstractButton*>(naming))
        name = button->text();
    else if (const auto* label = qobject_cast<QLabel*>(naming))
        name = label->text();
    else if (const auto* group = qobject_cast<QGroupBox*>(naming))
        name = group->title();
    name = QString::fromStdString(ui::withoutMnemonic(name.toStdString())).trimmed();
    if (name.endsWith(QLatin1Char(':'))) name.chop(1);
    field->setAccessibleName(name);
}

} // namespace tovel
