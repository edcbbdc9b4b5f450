#include "app/window_translation.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QVariant>
#include <QWidget>

#include "i18n/ui_translation.h"

namespace tovel::app {

namespace {

constexpr const char* kControlIdProperty = "tovelControlId";

QString qs(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void setControlText(QWidget* control, std::string_view text) {
    if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        button->setText(qs(text)); // "&" marks the mnemonic, "&&" is an ampersand, as in the tables
    } else if (auto* group = qobject_cast<QGroupBox*>(control)) {
        group->setTitle(qs(text));
    } else if (auto* label = qobject_cast<QLabel*>(control)) {
        // A label without a buddy shows an "&" as it is, so the marker goes.
        label->setText(label->buddy() != nullptr ? qs(text)
                                                 : QString::fromStdString(ui::withoutMnemonic(text)));
    }
}

} // namespace

void setControlId(QWidget* control, unsigned id) { control->setProperty(kControlIdProperty, id); }

unsigned controlId(const QWidget* control) { return control->property(kControlIdProperty).toUInt(); }

QWidget* findControl(const QWidget& window, unsigned id) {
    const auto children = window.findChildren<QWidget*>();
    for (QWidget* child : children) {
        // Only the window's own controls, not those of dialogs it owns.
        if (controlId(child) == id && child->window() == window.window()) return child;
    }
    return nullptr;
}

void translateWindow(QWidget& window, unsigned dialogId, Language language) {
    const std::optional<ui::DialogTexts> texts = ui::dialogTexts(dialogId, language);
    if (!texts) return;
    window.setWindowTitle(texts->title ? qs(*texts->title) : QString());
    for (const ui::ControlText& control : texts->controls) {
        if (QWidget* child = findControl(window, control.controlId)) setControlText(child, control.text);
    }
}

} // namespace tovel::app
