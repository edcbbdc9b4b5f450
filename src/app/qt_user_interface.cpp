#include "app/qt_user_interface.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QRegularExpression>
#include <QThread>
#include <QWidget>

#include "app/progress_window.h"
#include "board/operation_runner.h"
#include "i18n/messages.h"

namespace tovel::app {

namespace {

QMessageBox::Icon qtIcon(BoxIcon icon) {
    switch (icon) {
    case BoxIcon::Information:
        return QMessageBox::Information;
    case BoxIcon::Question:
        return QMessageBox::Question;
    case BoxIcon::Warning:
        return QMessageBox::Warning;
    case BoxIcon::Error:
        return QMessageBox::Critical;
    case BoxIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButton qtButton(Answer answer, Buttons buttons) {
    const bool unsavedWork = buttons == Buttons::SaveDiscardCancel;
    switch (answer) {
    case Answer::Yes:
        return unsavedWork ? QMessageBox::Save : QMessageBox::Yes;
    case Answer::No:
        return unsavedWork ? QMessageBox::Discard : QMessageBox::No;
    case Answer::Ok:
        return QMessageBox::Ok;
    case Answer::Cancel:
        break;
    }
    return QMessageBox::Cancel;
}

QMessageBox::StandardButtons qtButtons(Buttons buttons) {
    switch (buttons) {
    case Buttons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case Buttons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case Buttons::SaveDiscardCancel:
        return QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel;
    case Buttons::OkCancel:
        break;
    }
    return QMessageBox::Ok | QMessageBox::Cancel;
}

// A box closed without a button (only possible where there is a Cancel) counts as the most
// cautious answer the box offers.
Answer answerOf(int clicked, Buttons buttons) {
    switch (clicked) {
    case QMessageBox::Yes:
    case QMessageBox::Save:
        return Answer::Yes;
    case QMessageBox::No:
    case QMessageBox::Discard:
        return Answer::No;
    case QMessageBox::Ok:
        return Answer::Ok;
    case QMessageBox::Cancel:
        return Answer::Cancel;
    default:
        return buttons == Buttons::YesNo ? Answer::No : Answer::Cancel;
    }
}

// "HEX Files (*.hex)" -> "hex": what a name typed without an extension gets.
QString suffixOfFilter(const QString& filter) {
    static const QRegularExpression pattern(QStringLiteral("\\*\\.([A-Za-z0-9]+)"));
    const QRegularExpressionMatch match = pattern.match(filter);
    return match.hasMatch() ? match.captured(1) : QString();
}

// The person should be able to click in a box or on Cancel while an operation holds the busy cursor.
class ArrowCursorWhileBusy {
public:
    explicit ArrowCursorWhileBusy(bool busy) : active_(busy) {
        if (active_) QApplication::setOverrideCursor(Qt::ArrowCursor);
    }
    ~ArrowCursorWhileBusy() {
        if (active_) QApplication::restoreOverrideCursor();
    }
    ArrowCursorWhileBusy(const ArrowCursorWhileBusy&) = delete;
    ArrowCursorWhileBusy& operator=(const ArrowCursorWhileBusy&) = delete;

private:
    bool active_;
};

} // namespace

QtUserInterface::QtUserInterface() = default;

QtUserInterface::~QtUserInterface() {
    while (busyDepth_ > 0) setBusy(false);
}

void QtUserInterface::setParentWindow(QWidget* window) { parent_ = window; }

void QtUserInterface::onWindowThread(const std::function<void()>& call) {
    if (QThread::currentThread() == thread()) {
        call();
        return;
    }
    QMetaObject::invokeMethod(this, call, Qt::BlockingQueuedConnection);
}

void QtUserInterface::setStatus(const std::string& text) {
    onWindowThread([this, &text] {
        lastStatus_ = QString::fromStdString(text);
        if (statusSink_) statusSink_(lastStatus_);
        if (logSink_) logSink_(lastStatus_);
    });
}

void QtUserInterface::showInfo(const std::string& text) {
    // A connection error that names no cause: the Diagnose command finds it.
    const std::string shown = text == messages_->text(msg::ConnectionError)
                                  ? text + "\n\n" + messages_->text(msg::DoctorHintDesktop)
                                  : text;
    present({ShownBox::Info, messages_->text(msg::BoxCaption), shown, BoxIcon::Information});
}

void QtUserInterface::showPlain(const std::string& text) {
    present({ShownBox::Plain, messages_->text(msg::BoxCaption), text, BoxIcon::None});
}

void QtUserInterface::showBox(const std::string& caption, const std::string& text, BoxIcon icon) {
    present({ShownBox::Other, caption, text, icon});
}

Answer QtUserInterface::ask(const Question& question) {
    return present({ShownBox::Question, question.caption, question.text, question.icon, question.buttons,
                    question.defaultAnswer});
}

Answer QtUserInterface::present(const ShownBox& box) {
    Answer answer = Answer::Ok;
    onWindowThread([this, &box, &answer] {
        if (logSink_) logSink_(QString::fromStdString(box.caption + ": " + box.text));
        if (boxHook_) {
            answer = boxHook_(box);
            if (box.kind != ShownBox::Question) answer = Answer::Ok;
            return;
        }
        const ArrowCursorWhileBusy arrow(busy());
        const bool question = box.kind == ShownBox::Question;
        QMessageBox messageBox(
            qtIcon(box.icon), QString::fromStdString(box.caption), QString::fromStdString(box.text),
            question ? qtButtons(box.buttons) : QMessageBox::StandardButtons(QMessageBox::Ok), parent_);
        messageBox.setWindowModality(Qt::ApplicationModal);
        if (question) messageBox.setDefaultButton(qtButton(box.defaultAnswer, box.buttons));
        const int clicked = messageBox.exec();
        answer = question ? answerOf(clicked, box.buttons) : Answer::Ok;
    });
    return answer;
}

void QtUserInterface::setBusy(bool busy) {
    onWindowThread([this, busy] {
        if (busy) {
            if (busyDepth_++ == 0) QApplication::setOverrideCursor(Qt::WaitCursor);
        } else if (busyDepth_ > 0) {
            if (--busyDepth_ == 0) QApplication::restoreOverrideCursor();
        }
    });
}

Outcome QtUserInterface::runModal(OperationRunner& runner) {
    Outcome result = OperationRunner::kNotStartedResult;
    onWindowThread([this, &runner, &result] {
        const ArrowCursorWhileBusy arrow(busy());
        ProgressWindow window(parent_, *messages_);
        window.cancelWaitsWith(stop_);
        runner.watchStop(stop_);
        result = window.run(runner);
        if (stop_ != nullptr) stop_->clear();
    });
    return result;
}

std::optional<std::string> QtUserInterface::chooseFile(const FileChoice& choice) {
    std::optional<std::string> chosen;
    onWindowThread([this, &choice, &chosen] {
        if (fileHook_) {
            chosen = fileHook_(choice);
            return;
        }
        const ArrowCursorWhileBusy arrow(busy());
        QFileDialog dialog(parent_, QString::fromStdString(choice.title));
        // Qt's own dialog, so it follows the program's language rather than the desktop's.
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(choice.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        // Large enough for long names and the size and date columns, in either language.
        const int line = dialog.fontMetrics().height();
        dialog.resize(dialog.sizeHint().expandedTo(QSize(line * 52, line * 28)));
        dialog.setFileMode(choice.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        QStringList filters;
        for (const std::string& filter : choice.filters) filters << QString::fromStdString(filter);
        if (!filters.isEmpty()) dialog.setNameFilters(filters);

        const QFileInfo initial(QString::fromStdString(choice.initialPath));
        const bool initialHasFolder = choice.initialPath.find('/') != std::string::npos;
        if (initialHasFolder)
            dialog.setDirectory(initial.absolutePath());
        else if (!lastDirectory_.isEmpty())
            dialog.setDirectory(lastDirectory_);
        if (choice.save) {
            dialog.selectFile(initial.fileName());
            dialog.setDefaultSuffix(suffixOfFilter(filters.value(0)));
            connect(&dialog, &QFileDialog::filterSelected, &dialog,
                    [&dialog](const QString& filter) { dialog.setDefaultSuffix(suffixOfFilter(filter)); });
        }
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
        const QString path = dialog.selectedFiles().first();
        lastDirectory_ = QFileInfo(path).absolutePath();
        chosen = path.toStdString();
    });
    return chosen;
}

} // namespace tovel::app

#include "moc_qt_user_interface.cpp"
