#include "app/dialogs/message_box.h"

#include <QList>

namespace tovel {

namespace {

struct TestHooks {
    QList<QMessageBox::StandardButton> answers;
    QStringList shownTexts;
};

TestHooks& hooks() {
    static TestHooks instance;
    return instance;
}

} // namespace

QMessageBox::StandardButton MessageBox::show(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                                             const QString& text, QMessageBox::StandardButtons buttons,
                                             QMessageBox::StandardButton defaultButton) {
    hooks().shownTexts.append(text);
    if (!hooks().answers.isEmpty()) return hooks().answers.takeFirst();

    QMessageBox box(icon, caption, text, buttons, parent);
    if (defaultButton != QMessageBox::NoButton) box.setDefaultButton(defaultButton);
    box.setTextFormat(Qt::PlainText);
    const int result = box.exec();
    return static_cast<QMessageBox::StandardButton>(result);
}

void MessageBox::information(QWidget* parent, const Messages& messages, const QString& text) {
    show(parent, QMessageBox::Information, qText(messages.text(msg::BoxCaption)), text);
}

bool MessageBox::askYesNo(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                          const QString& text, QMessageBox::StandardButton defaultButton) {
    return show(parent, icon, caption, text, QMessageBox::Yes | QMessageBox::No, defaultButton) ==
           QMessageBox::Yes;
}

void MessageBox::setNextAnswer(QMessageBox::StandardButton answer) { hooks().answers.append(answer); }

QStringList MessageBox::takeShownTexts() {
    hooks().answers.clear();
    QStringList texts;
    texts.swap(hooks().shownTexts);
    return texts;
}

} // namespace tovel
