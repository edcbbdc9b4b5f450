#include "app/dialogs/window_translation.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVariant>
#include <QWidget>
#include <QtGlobal>

#include "i18n/ui_translation.h"

namespace tovel::app {

namespace {

constexpr const char* kControlIdProperty = "tovelControlId";
constexpr const char* kLeftOutProperty = "tovelControlsLeftOut";

QString qs(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Buttons and group boxes read "&" as the mnemonic marker and "&&" as an ampersand, as the tables
// do; a label without a buddy would show the markers, so it gets the plain text.
void setControlText(QWidget* control, std::string_view text) {
    if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        button->setText(qs(text));
    } else if (auto* group = qobject_cast<QGroupBox*>(control)) {
        group->setTitle(qs(text));
    } else if (auto* label = qobject_cast<QLabel*>(control)) {
        label->setText(label->buddy() != nullptr ? qs(text)
                                                 : QString::fromStdString(ui::withoutMnemonic(text)));
    } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        edit->setText(qs(text));
    }
}

} // namespace

void setControlId(QWidget* control, unsigned id) { control->setProperty(kControlIdProperty, id); }

unsigned controlId(const QWidget* control) { return control->property(kControlIdProperty).toUInt(); }

QWidget* findControl(const QWidget& window, unsigned id) {
    const auto children = window.findChildren<QWidget*>();
    for (QWidget* child : children) {
        if (controlId(child) == id && child->window() == window.window()) return child;
    }
    return nullptr;
}

void leaveOutControls(QWidget& window, std::initializer_list<unsigned> ids) {
    QVariantList leftOut = window.property(kLeftOutProperty).toList();
    for (const unsigned id : ids) leftOut.append(id);
    window.setProperty(kLeftOutProperty, leftOut);
}

bool leavesOut(const QWidget& window, unsigned id) {
    return window.property(kLeftOutProperty).toList().contains(QVariant(id));
}

void translateWindow(QWidget& window, unsigned dialogId, Language language) {
    const std::optional<ui::DialogTexts> texts = ui::dialogTexts(dialogId, language);
    if (!texts) return;
    window.setWindowTitle(texts->title ? qs(*texts->title) : QString());
    for (const ui::ControlText& control : texts->controls) {
        if (QWidget* child = findControl(window, control.controlId))
            setControlText(child, control.text);
        else if (!leavesOut(window, control.controlId))
            qWarning("Window %u has no control %u of its translation record", dialogId, control.controlId);
    }
}

} // namespace tovel::app
