// Project > "Production...": the job of the main window on several boards at once, hands-free.
// A tile a board (port, state, progress, a large PASS or FAIL, the chip's serial number), the
// counts of passed, failed and total chips (read from the job's serial-number store, so they
// survive a restart), Start and Stop, and an optional operator lock: with a password set at Start,
// leaving production mode (Stop, Close) asks for it, so the job cannot be changed behind the line.
//
// The window is modal: the main window's job stays as it was read while the boards work from it.
#pragma once

#include <QDialog>
#include <memory>
#include <thread>
#include <vector>

#include "i18n/messages.h"

class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace tovel {
class ProductionLine;
class SqliteSerialAllocator;
class Workbench;
namespace sim {
class PtyBoardHost;
}
} // namespace tovel

namespace tovel::app {

class ProductionBoardUi;
class ProductionTile;

class ProductionWindow : public QDialog {
    Q_OBJECT

public:
    explicit ProductionWindow(Workbench& job, QWidget* parent = nullptr);
    ~ProductionWindow() override;

    // For tests and the command line of the desktop program: what Start will use.
    void setPorts(const QString& ports);
    void setSimulatedBoards(int count);
    void setPassword(const QString& password);
    // The answer to the password question of a locked line (tests); unset: a dialog asks.
    void setPasswordAnswer(std::function<QString()> answer) { passwordAnswer_ = std::move(answer); }

    bool running() const { return line_ != nullptr; }
    const std::vector<ProductionTile*>& tiles() const { return tiles_; }
    QString countsText() const;
    QString messageText() const;

    void start();
    // Ends the line after the boards' current chips; false when the lock's password was wrong.
    bool stop();

    void reject() override; // Escape and Close: not while the line runs

private:
    struct Board;

    void showCounts();
    void showMessage(const QString& text);
    bool unlocked();
    void finished();
    // `work` on the window's thread, from any thread; dropped once the window is gone.
    void post(std::function<void()> work);
    QString text(int id) const;

    Workbench& job_;
    const Language language_;
    QLineEdit* ports_ = nullptr;
    QSpinBox* simulated_ = nullptr;
    QLineEdit* password_ = nullptr;
    QPushButton* start_ = nullptr;
    QPushButton* stop_ = nullptr;
    QPushButton* close_ = nullptr;
    QLabel* passed_ = nullptr;
    QLabel* failed_ = nullptr;
    QLabel* total_ = nullptr;
    QLabel* message_ = nullptr;
    QGridLayout* tileGrid_ = nullptr;
    std::vector<ProductionTile*> tiles_;

    std::unique_ptr<SqliteSerialAllocator> store_;
    std::vector<std::unique_ptr<sim::PtyBoardHost>> simulatedBoards_;
    std::vector<std::unique_ptr<Board>> boards_;
    std::unique_ptr<ProductionLine> line_;
    std::thread lineThread_;
    QString lockPassword_;
    std::function<QString()> passwordAnswer_;
    std::shared_ptr<bool> alive_;
};

} // namespace tovel::app
