#include "app/dialogs/translated_dialog.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>

#include "app/dialogs/window_translation.h"
#include "i18n/ui_translation.h"

namespace tovel {

TranslatedDialog::TranslatedDialog(unsigned dialogId, const Messages& messages, QWidget* parent)
    : QDialog(parent), dialogId_(dialogId), messages_(messages) {}

void TranslatedDialog::registerControl(unsigned id, QWidget* widget) { app::setControlId(widget, id); }

QWidget* TranslatedDialog::control(unsigned id) const { return app::findControl(*this, id); }

void TranslatedDialog::retitle() { app::translateWindow(*this, dialogId_, messages_.language()); }

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
