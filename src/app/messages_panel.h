// The Messages panel: every status line and every box the program showed in this run, each with
// its time, so nothing it said is lost when the status line moves on. The text is selectable;
// "Copy all" puts it on the clipboard and "Save as text..." writes it to a file.
#pragma once

#include <QDockWidget>
#include <QString>

#include "i18n/messages.h"

class QPlainTextEdit;
class QPushButton;

namespace tovel::app {

class QtUserInterface;

class MessagesPanel : public QDockWidget {
    Q_OBJECT

public:
    MessagesPanel(QtUserInterface& ui, QWidget* parent = nullptr);

    // One line: "hh:mm:ss  text" (a multi-line text keeps its lines, indented).
    void append(const QString& text);
    QString text() const;
    bool saveTo(const QString& path) const;

    void retranslate(Language language);
    QPlainTextEdit& log() { return *log_; }
    QPushButton& copyButton() { return *copy_; }
    QPushButton& saveButton() { return *save_; }

private:
    void copyAll();
    void saveAsText();

    QtUserInterface& ui_;
    Language language_ = Language::English;
    QPlainTextEdit* log_ = nullptr;
    QPushButton* copy_ = nullptr;
    QPushButton* save_ = nullptr;
};

} // namespace tovel::app
