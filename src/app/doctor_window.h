// Advanced > "Diagnose connection...": the connection doctor's checks as they come, one row a
// check (state, name, finding, advice), and the summary below. The checks run on a thread of
// their own so the window stays live; it cannot be closed until they have ended, because the
// doctor holds the port and the board meanwhile.
#pragma once

#include <QDialog>
#include <thread>

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
    DoctorWindow(Workbench& workbench, QWidget* parent = nullptr);
    ~DoctorWindow() override;

    // Shows the window and runs the checks; returns when the person closes it.
    static void run(QWidget* parent, Workbench& workbench);

    // Starts the checks (once).
    void start();
    bool finished() const { return finished_; }
    QListWidget* checkList() const { return list_; }
    QLabel* summaryLabel() const { return summary_; }

protected:
    void reject() override;

private:
    void addCheck(const doctor::DoctorCheck& check);
    void finish();

    Workbench& workbench_;
    QListWidget* list_;
    QLabel* summary_;
    QPushButton* close_;
    std::thread worker_;
    bool finished_ = false;
};

} // namespace tovel::app
