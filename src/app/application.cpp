#include "app/application.h"

#include "app/help_document.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTimer>
#include <cstdio>

#include "app/dialogs/board_settings_dialog.h"
#include "app/dialogs/workbench_dialogs.h"
#include "app/main_window.h"
#include "app/qt_language.h"
#include "app/qt_user_interface.h"
#include "app/screenshot_taker.h"
#include "board/port_map.h"
#include "board/posix_serial_channel.h"
#include "core/clock.h"
#include "project/settings_file.h"
#include "workbench/workbench.h"

#ifdef TOVEL_HAVE_SIMULATOR
#include "sim/pty_board_host.h"
#endif

namespace tovel::app {

namespace {

constexpr int kSimulatedPort = 1;

// Tells once how long the window took to appear: its first paint, counted from process start.
class FirstPaintReport : public QObject {
public:
    FirstPaintReport(QWidget* window, qint64 startedAt) : QObject(window), startedAt_(startedAt) {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            QElapsedTimer now;
            now.start();
            std::fprintf(stderr, "tovelisp: window painted %lld ms after start\n",
                         static_cast<long long>(now.msecsSinceReference() - startedAt_));
            watched->removeEventFilter(this);
        }
        return false;
    }

private:
    qint64 startedAt_;
};

QString chooseSettingsPath(const ProgramOptions& options) {
    if (options.settingsPath) return QString::fromStdString(*options.settingsPath);
    if (const std::optional<std::string> path = defaultSettingsPath()) return QString::fromStdString(*path);
    // No home folder to keep it in: beside the working directory, as a last resort.
    return QDir::current().filePath(QStringLiteral("tovelisp.ini"));
}

} // namespace

Application::Application(ProgramOptions options)
    : options_(std::move(options)), settingsPath_(chooseSettingsPath(options_)),
      ui_(std::make_unique<QtUserInterface>()), qtLanguage_(std::make_unique<QtLanguage>()) {
    firstRunPrompt_ = [this](int comPort, int baudIndex) -> std::optional<std::pair<int, int>> {
        BoardSettingsDialog dialog(comPort, baudIndex, workbench_->portMap(), workbench_->messages(),
                                   window_.get());
        if (dialog.exec() != QDialog::Accepted) return std::nullopt;
        return std::pair{dialog.comPort(), dialog.baudIndex()};
    };
}

Application::~Application() {
    finish();
    window_.reset(); // before the workbench it observes
}

void Application::installDialogs() {
    QWidget* parent = window_.get();
    Workbench& workbench = *workbench_;
    DialogHooks hooks;
    hooks.projectSettings = [parent, &workbench](bool) { runProjectSettings(parent, workbench); };
    hooks.advancedBoardSettings = [parent, &workbench] { runAdvancedBoardSettings(parent, workbench); };
    hooks.lockFuseBits = [parent, &workbench](int deviceNo, const LockFuseSettings& readFromChip) {
        runLockFuseBits(parent, workbench, deviceNo, readFromChip);
    };
    hooks.updateFirmware = [parent, &workbench] { runFirmwareUpdate(parent, workbench); };
    hooks.about = [parent, &workbench] {
        const std::optional<QString> manual = findHelpDocument(helpDocumentCandidates(
            QCoreApplication::applicationDirPath(), QStringLiteral(TOVEL_DATA_DIR), workbench.language()));
        runAbout(parent, workbench, manual.value_or(QString()));
    };
    window_->setDialogHooks(std::move(hooks));
}

std::optional<int> Application::start() {
    QDir().mkpath(QFileInfo(settingsPath_).absolutePath());
    workbench_ = std::make_unique<Workbench>(
        *ui_, clock_,
        [this](const PortMap& ports) -> std::unique_ptr<SerialChannel> {
            auto channel = std::make_unique<PosixSerialChannel>(ports);
            channel->watchStop(&cancelWaits_);
            return channel;
        },
        settingsPath_.toStdString());
    ui_->setStopRequest(&cancelWaits_);
    window_ = std::make_unique<MainWindow>(*workbench_, *ui_, qtLanguage_.get());
    installDialogs();

    // Settings first: the language decides how everything after is worded.
    workbench_->readSettings();
    ui_->setStatus(workbench_->messages().text(msg::QuestionCaption));

    if (options_.simulatedDevice) {
        // The settings file keeps the person's own port; the simulated one is for this run only.
        workbench_->writeSettings();
        openSimulatedBoard();
        if (!simulatedBoard_) return 2;
    } else {
        // First run: where is the board? Cancel leaves no port; the board commands then say so.
        if (workbench_->comPort() == 0) {
            if (const auto chosen = firstRunPrompt_(0, Baud19200))
                workbench_->setPortAndSpeed(chosen->first, chosen->second);
        }
        workbench_->writeSettings();
    }

    // The project on the command line wins over the most recent one.
    const std::optional<std::string> commandLineProject = options_.projectPath;
    workbench_->openProjectAtStartup(commandLineProject);

    if (options_.autoProgramRequested()) {
        workbench_->runUnattendedAutoProgram();
        const bool ok = workbench_->autoProgramOk(); // the window's verdict: DONE
        finish();
        return ok ? 0 : 1;
    }

    window_->fixSizeToContent();
    if (options_.screenshotPath && startedAt_ >= 0) new FirstPaintReport(window_.get(), startedAt_);
    window_->show();
    if (options_.screenshotPath) scheduleScreenshot();
    return std::nullopt;
}

void Application::openSimulatedBoard() {
#ifdef TOVEL_HAVE_SIMULATOR
    sim::SimOptions simOptions;
    simOptions.device = *options_.simulatedDevice;
    auto board = std::make_unique<sim::PtyBoardHost>(simOptions);
    if (!board->ok()) {
        std::fprintf(stderr, "tovelisp: the simulated board could not start: %s\n", board->error().c_str());
        return;
    }
    // COM1 is the simulated board for this run; the person's own port choice is put back at exit.
    workbench_->portMap().setOverride(kSimulatedPort, board->slavePath());
    portBeforeSimulation_ = workbench_->comPort();
    workbench_->overridePortAndSpeed(kSimulatedPort, workbench_->baudIndex());
    simulatedBoard_ = std::move(board);
#else
    std::fprintf(stderr, "tovelisp: this build has no simulated board\n");
#endif
}

void Application::scheduleScreenshot() {
    MainWindow* window = window_.get();
    if (options_.fileForDialogs)
        ui_->setFileHook([file = *options_.fileForDialogs](const FileChoice&) { return file; });
    ScreenshotTaker::Steps steps{options_.commandsBeforeScreenshot, options_.dialogsToDismiss,
                                 options_.clickBeforeScreenshot};
    auto* taker =
        new ScreenshotTaker(window, QString::fromStdString(*options_.screenshotPath), std::move(steps),
                            [window](int commandId) { window->runCommand(commandId); });
    taker->start();
}

void Application::finish() {
    if (finished_ || !workbench_) return;
    finished_ = true;
    if (simulatedBoard_ && workbench_->comPort() == kSimulatedPort && portBeforeSimulation_ >= 0)
        workbench_->overridePortAndSpeed(portBeforeSimulation_, workbench_->baudIndex());
    workbench_->shutDown();
}

} // namespace tovel::app
