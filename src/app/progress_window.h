// The modal progress window a long board operation runs behind: the operation's title, a line
// of text, a looping animation, a bar with "%d%% completed", and Cancel. The worker thread
// reports through ProgressObserver; each report is carried to the window's thread and applied
// before the worker goes on, so the window shows every step in order. The window looks every
// 150 ms whether the worker has finished and then closes, handing back the worker's outcome.
//
// Cancel (or Escape) only asks the worker to stop; the window waits for it. Enter does nothing,
// and the window has no close box.
#pragma once

#include <QDialog>
#include <QTimer>
#include <functional>

#include "board/progress_observer.h"
#include "core/outcome.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace tovel {
class Messages;
class OperationRunner;
class StopRequest;
} // namespace tovel

namespace tovel::app {

class ProgressAnimation;

class ProgressWindow : public QDialog, public ProgressObserver {
    Q_OBJECT

public:
    static constexpr int kDonePollMs = 150;

    ProgressWindow(QWidget* parent, const Messages& messages);
    ~ProgressWindow() override;

    // Runs `runner` to its end behind this window and returns its outcome (the "not started"
    // outcome at once, without showing the window, when no worker thread could be made).
    Outcome run(OperationRunner& runner);
    // Cancel also raises `stop`, which the worker's pauses and reads watch, so that they end at
    // once rather than at the next chunk. Null (the default): Cancel only asks the worker.
    void cancelWaitsWith(StopRequest* stop) { stop_ = stop; }

    // ProgressObserver: called on the worker thread.
    void setTitle(const std::string& title) override;
    void setText(const std::string& text) override;
    void setPercentText(const std::string& text) override;
    void setBar(int percent) override;
    void setCancelVisible(bool visible) override;

    // What the window shows, for tests.
    QString operationText() const;
    QString percentText() const;
    int barValue() const;
    bool cancelVisible() const;

public Q_SLOTS:
    void accept() override; // Enter: nothing
    void reject() override; // Cancel and Escape: ask the worker to stop

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Runs `change` on the window's thread and returns when it has been applied.
    void applyOnWindowThread(const std::function<void()>& change);
    void pollWorker();

    OperationRunner* runner_ = nullptr;
    StopRequest* stop_ = nullptr;
    QTimer pollTimer_;
    QLabel* text_;
    ProgressAnimation* animation_;
    QProgressBar* bar_;
    QLabel* percent_;
    QPushButton* cancel_;
};

} // namespace tovel::app
