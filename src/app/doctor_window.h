// Advanced > "Diagnose connection...": the connection doctor's checks as they come, one row a
// check (state, name, finding, advice), and the summary below. The checks run on a thread of
// their own so the window stays live. Cancel stops them at once (the doctor still ends its board
// session and closes the port); closing the window while they run cancels them and closes the
// window when they have stopped.
#pragma once

#include <QDialog>
#include <thread>

#include "core/stop_request.h"

#include "doctor/doctor_check.h"

class QLabel;
class QListWidget;
class QPushButton;

namespace tovel {
class Workbench;
}

namespace tovel::app {

class DoctorWindow : public QDialog {
    Q_OBJECT
public:
    // `stop`: the request the workbench's clock and channel watch, so that Cancel also ends a pause
    // or a read in progress; null: the window's own, which stops the checks between reads.
    DoctorWindow(Workbench& workbench, StopRequest* stop, QWidget* parent = nullptr);
    ~DoctorWindow() override;

    // Shows the window and runs the checks; returns when the person closes it.
    static void run(QWidget* parent, Workbench& workbench, StopRequest* stop);

    // Starts the checks (once).
    void start();
    // Asks the running checks to stop (the Cancel button).
    void cancel();
    bool finished() const { return finished_; }
    QListWidget* checkList() const { return list_; }
    QLabel* summaryLabel() const { return summary_; }
    QPushButton* cancelButton() const { return cancel_; }
    QPushButton* closeButton() const { return close_; }

protected:
    void reject() override;

private:
    void addCheck(const doctor::DoctorCheck& check);
    void finish();

    Workbench& workbench_;
    QListWidget* list_;
    QLabel* summary_;
    QPushButton* cancel_;
    QPushButton* close_;
    StopRequest ownStop_;
    StopRequest* stop_;
    std::thread worker_;
    bool finished_ = false;
    bool closeWhenFinished_ = false;
};

} // namespace tovel::app
