// What happens between process start and the first command, and at the end: the settings are
// read (and on a first run the board's port asked for), the most recent project or the one named
// on the command line is opened, and either the window is shown or, with "-autoprogram", the chip
// is programmed unattended and the program ends. At the end the settings and the recent list are
// written.
#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

#include "app/program_options.h"
#include "core/stop_request.h"
#include "core/stoppable_clock.h"

namespace tovel {
class TracingChannel;
class Workbench;
} // namespace tovel

namespace tovel::sim {
class PtyBoardHost;
}

namespace tovel::app {

class BoardTrafficTrace;
class MainWindow;
class QtLanguage;
class QtUserInterface;

class Application {
public:
    // Asks for the board's port and speed on a first run (no port stored yet), given the presets;
    // nothing on Cancel. The default shows the Board Settings dialog.
    using FirstRunPrompt = std::function<std::optional<std::pair<int, int>>(int comPort, int baudIndex)>;

    explicit Application(ProgramOptions options);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    void setFirstRunPrompt(FirstRunPrompt prompt) { firstRunPrompt_ = std::move(prompt); }
    // When the process started (QElapsedTimer::msecsSinceReference), for the start-up time that
    // --screenshot reports.
    void setStartedAt(qint64 msecsSinceReference) { startedAt_ = msecsSinceReference; }

    // Builds the window and runs the start-up steps. Returns the process's exit status when the
    // program is already done (an unattended run, or a simulated board that could not start);
    // nothing when the window has been shown and the event loop should run.
    std::optional<int> start();
    // The exit steps: the settings and the recent list are written. Runs once.
    void finish();

    // The settings file in use.
    const QString& settingsPath() const { return settingsPath_; }
    MainWindow* window() { return window_.get(); }
    Workbench* workbench() { return workbench_.get(); }
    BoardTrafficTrace* boardTrafficTrace() { return trace_.get(); }
    QtUserInterface& ui() { return *ui_; }

private:
    // The dialogs behind the window's commands (settings, lock/fuse bits, update, About).
    void installDialogs();
    void openSimulatedBoard();
    void scheduleScreenshot();

    ProgramOptions options_;
    QString settingsPath_;
    FirstRunPrompt firstRunPrompt_;
    std::unique_ptr<QtUserInterface> ui_;
    // The progress window's Cancel ends the worker's pauses and reads through these.
    StopRequest cancelWaits_;
    StoppableClock clock_{systemClock(), cancelWaits_};
    std::unique_ptr<QtLanguage> qtLanguage_;
    std::unique_ptr<sim::PtyBoardHost> simulatedBoard_;
    std::unique_ptr<Workbench> workbench_;
    // The workbench's channel, which it owns; the trace switches its file.
    TracingChannel* tracingChannel_ = nullptr;
    std::unique_ptr<BoardTrafficTrace> trace_;
    std::unique_ptr<MainWindow> window_;
    int portBeforeSimulation_ = -1;
    qint64 startedAt_ = -1;
    bool finished_ = false;
};

} // namespace tovel::app
