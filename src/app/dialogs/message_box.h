// The message boxes the dialogs show: information boxes with the program's caption, the
// validation message and Yes/No questions.
//
// Tests cannot click a modal box that blocks them, so they pre-answer: setNextAnswer queues the
// answer the next box gives without appearing. The texts of all boxes are kept until a test
// takes them. This is the one piece of process-wide state the dialogs have, and only tests use it.
#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>

#include "i18n/messages.h"

namespace tovel {

class MessageBox {
public:
    static QMessageBox::StandardButton
    show(QWidget* parent, QMessageBox::Icon icon, const QString& caption, const QString& text,
         QMessageBox::StandardButtons buttons = QMessageBox::Ok,
         QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

    // `showInfo`: OK only, information icon, captioned "Tovel/Tovel-U Programmer".
    static void information(QWidget* parent, const Messages& messages, const QString& text);

    // A Yes/No question; true only for Yes (closing the box counts as No).
    static bool askYesNo(QWidget* parent, QMessageBox::Icon icon, const QString& caption, const QString& text,
                         QMessageBox::StandardButton defaultButton);

    // --- For tests ---

    // The next box returns `answer` without being shown. Answers queue up in order.
    static void setNextAnswer(QMessageBox::StandardButton answer);
    // The texts of the boxes since the last call, oldest first; clears the list and any
    // answers not used.
    static QStringList takeShownTexts();
};

// A text of the core (UTF-8) as Qt shows it.
inline QString qText(const std::string& text) { return QString::fromStdString(text); }
inline QString qText(const char* text) { return QString::fromUtf8(text); }

} // namespace tovel
