// Base of the dialogs: knows each control by its resource id (window_translation.h), and retitles
// the dialog and its controls from the translation record of its dialog id in the current
// language. A control whose text the record gives is created without text; retitling fills it in.
#pragma once

#include <QDialog>
#include <QString>

#include "i18n/messages.h"

namespace tovel {

class TranslatedDialog : public QDialog {
    Q_OBJECT

public:
    // The control with this resource id, or null.
    QWidget* control(unsigned id) const;
    template <typename T> T* controlAs(unsigned id) const { return qobject_cast<T*>(control(id)); }

    const Messages& messages() const { return messages_; }

protected:
    TranslatedDialog(unsigned dialogId, const Messages& messages, QWidget* parent);

    // Tags `widget` with its resource id and returns it.
    template <typename T> T* addControl(unsigned id, T* widget) {
        registerControl(id, widget);
        return widget;
    }

    // Title and control texts from the record, in the current language. A dialog without a
    // record keeps its layout texts; a record without a title leaves the title empty for the
    // dialog to set.
    void retitle();

    // Gives control `fieldId` the accessible name a screen reader reads for it: the text of
    // `namingId` (a check box, label or group box beside it), without its mnemonic marker. Call
    // after retitle.
    void nameFieldBy(unsigned fieldId, unsigned namingId);

    // A catalogue message in the current language.
    QString text(unsigned messageId) const { return QString::fromUtf8(messages_.text(messageId)); }

private:
    void registerControl(unsigned id, QWidget* widget);

    unsigned dialogId_;
    const Messages& messages_;
};

} // namespace tovel
