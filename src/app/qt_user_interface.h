// The desktop program's way to reach the person: the main window's status line, message boxes
// with the program's captions and icons, Yes/No questions, the busy cursor, the progress window
// and the file dialogs. Any of these may be called from an operation's worker thread; such a call
// is carried to the window thread and waits there for its answer.
//
// Tests pre-answer the boxes and file dialogs through the hooks: a box is then recorded and
// answered without being shown.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

#include "core/stop_request.h"
#include "core/user_interface.h"
#include "i18n/messages.h"

class QWidget;

namespace tovel::app {

// A box as the person would have seen it.
struct ShownBox {
    enum Kind { Info, Plain, Other, Question };
    Kind kind = Info;
    std::string caption;
    std::string text;
    BoxIcon icon = BoxIcon::None;
    Buttons buttons = Buttons::YesNo; // questions only
    Answer defaultAnswer = Answer::Ok;
};

class QtUserInterface : public QObject, public UserInterface {
    Q_OBJECT

public:
    QtUserInterface();
    ~QtUserInterface() override;

    // The catalogue in the current language (the Workbench's). Until it is set, English.
    void setMessages(const Messages& messages) { messages_ = &messages; }
    // The stop request the workbench's pauses and reads watch: the progress window's Cancel
    // raises it, and it is cleared when the window has closed (the session then ends as usual).
    void setStopRequest(StopRequest* stop) { stop_ = stop; }

    // The window that owns the boxes and dialogs (null: none).
    void setParentWindow(QWidget* window);
    // Where status texts go (the main window's status line).
    void setStatusSink(std::function<void(const QString&)> sink) { statusSink_ = std::move(sink); }
    // Where every status text and box text goes as well, as shown (the Messages panel).
    void setLogSink(std::function<void(const QString&)> sink) { logSink_ = std::move(sink); }
    const Messages& messages() const { return *messages_; }

    // Test hooks. With a box hook no box is shown: the hook sees it and gives the answer (an
    // Ok for plain boxes is ignored). With a file hook no dialog is shown.
    using BoxHook = std::function<Answer(const ShownBox&)>;
    using FileHook = std::function<std::optional<std::string>(const FileChoice&)>;
    void setBoxHook(BoxHook hook) { boxHook_ = std::move(hook); }
    void setFileHook(FileHook hook) { fileHook_ = std::move(hook); }

    // UserInterface
    void setStatus(const std::string& text) override;
    void showInfo(const std::string& text) override;
    void showPlain(const std::string& text) override;
    void showBox(const std::string& caption, const std::string& text, BoxIcon icon) override;
    Answer ask(const Question& question) override;
    void setBusy(bool busy) override;
    Outcome runModal(OperationRunner& runner) override;
    std::optional<std::string> chooseFile(const FileChoice& choice) override;

    bool busy() const { return busyDepth_ > 0; }
    const QString& lastStatus() const { return lastStatus_; }

private:
    StopRequest* stop_ = nullptr;
    // Runs `call` on the window thread and waits for it.
    void onWindowThread(const std::function<void()>& call);
    Answer present(const ShownBox& box);

    const Messages englishMessages_;
    const Messages* messages_ = &englishMessages_;
    QPointer<QWidget> parent_;
    std::function<void(const QString&)> statusSink_;
    std::function<void(const QString&)> logSink_;
    BoxHook boxHook_;
    FileHook fileHook_;
    QString lastStatus_;
    QString lastDirectory_;
    int busyDepth_ = 0;
};

} // namespace tovel::app
