// Advanced > "Trace board traffic to a file...": every board session of the desktop program goes
// into the chosen file in the trace format the simulated board replays; the choice survives a
// restart (appended to), the menu and the status line name the file, and a file that cannot be
// written is said, never a silent missing trace.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

#include "app/application.h"
#include "app/main_menu.h"
#include "app/main_window.h"
#include "app/qt_user_interface.h"
#include "app/status_line.h"
#include "i18n/command_ids.h"
#include "sim/trace_replay.h"
#include "support/gui_test_support.h"
#include "workbench/workbench.h"

using namespace tovel;
using namespace tovel::app;

namespace {

struct TraceFixture {
    QTemporaryDir folder;
    guitest::BoxRecorder boxes;
    QString settingsPath = folder.filePath(QStringLiteral("tovelisp.ini"));
    // An ampersand in the name: the menu must show it, not take it as a mnemonic.
    QString tracePath = folder.filePath(QStringLiteral("board&traffic.trace"));

    std::unique_ptr<Application> start() {
        auto app = std::make_unique<Application>(
            parseProgramOptions({"--settings", settingsPath.toStdString(), "--simulate=ATmega8"}));
        boxes.install(app->ui());
        app->ui().setFileHook([this](const FileChoice& choice) -> std::optional<std::string> {
            if (!choice.save) return std::nullopt;
            return tracePath.toStdString();
        });
        if (app->start().has_value()) return nullptr;
        return app;
    }
    QString setting() const {
        return QSettings(settingsPath, QSettings::IniFormat)
            .value(QStringLiteral("Connect/TraceFile"))
            .toString();
    }
    void writeSettings(const QString& traceFile) {
        QFile file(settingsPath);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Connect]\nCOM=1\nTraceFile=" + traceFile.toUtf8() + "\n");
    }
};

QByteArray contentOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QAction* traceItem(MainWindow& window) { return window.menu().action(command::TraceBoardTraffic); }

} // namespace

class BoardTrafficTraceTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void aChosenTraceRecordsEverySessionUntilSwitchedOff() {
        TraceFixture f;
        const std::unique_ptr<Application> app = f.start();
        QVERIFY(app);
        MainWindow& window = *app->window();
        QAction* item = traceItem(window);
        QVERIFY(item != nullptr && item->isEnabled());
        QCOMPARE(item->text(), QStringLiteral("&Trace board traffic to a file..."));
        QVERIFY(!item->isChecked());

        window.runCommand(command::TraceBoardTraffic);
        QCOMPARE(window.statusLine().text(), QStringLiteral("Board traffic is traced to ") + f.tracePath);
        QVERIFY(item->isChecked());
        QCOMPARE(item->text(), QStringLiteral("Stop &tracing board traffic to ") +
                                   QString(f.tracePath).replace(QStringLiteral("&"), QStringLiteral("&&")));
        QCOMPARE(f.setting(), f.tracePath);
        app->workbench()->setLanguage(Language::Russian);
        QVERIFY(item->text().startsWith(QStringLiteral("Прекратить &запись обмена с платой в ")));
        app->workbench()->setLanguage(Language::English);

        window.runCommand(command::BoardInfo);
        window.runCommand(command::ReadSignatureButton);
        const QByteArray trace = contentOf(f.tracePath);
        QVERIFY2(trace.startsWith("# open "), trace.left(200).constData());
        QVERIFY(trace.contains(" host>board 25 '%'\n"));
        QVERIFY(trace.contains(" board>host "));
        QCOMPARE(trace.count("# open "), trace.count("# close\n"));
        QVERIFY(f.boxes.boxes().size() <= 1); // Board Info's own box, nothing about the trace
        // The simulated board replays what the program wrote.
        std::string error;
        QVERIFY2(sim::readTraceFile(f.tracePath.toStdString(), error).has_value(), error.c_str());

        window.runCommand(command::TraceBoardTraffic);
        QCOMPARE(window.statusLine().text(), QStringLiteral("Board traffic is no longer traced"));
        QVERIFY(!item->isChecked());
        QCOMPARE(item->text(), QStringLiteral("&Trace board traffic to a file..."));
        QCOMPARE(f.setting(), QString());
        window.runCommand(command::BoardInfo);
        QCOMPARE(contentOf(f.tracePath), trace);
    }

    void aTraceLeftOnGoesOnAtTheNextStartAppended() {
        TraceFixture f;
        f.writeSettings(f.tracePath);
        {
            QFile earlier(f.tracePath);
            QVERIFY(earlier.open(QIODevice::WriteOnly));
            earlier.write("# an earlier run\n");
        }
        const std::unique_ptr<Application> app = f.start();
        QVERIFY(app);
        MainWindow& window = *app->window();
        QCOMPARE(window.statusLine().text(), QStringLiteral("Board traffic is traced to ") + f.tracePath);
        QVERIFY(traceItem(window)->isChecked());
        window.runCommand(command::BoardInfo);
        const QByteArray trace = contentOf(f.tracePath);
        QVERIFY(trace.startsWith("# an earlier run\n# open "));
        QVERIFY(trace.contains(" host>board "));
    }

    void anUnwritableTraceFileIsSaidAndLeavesTheTraceOff() {
        TraceFixture f;
        const QString missing = f.folder.filePath(QStringLiteral("gone/board.trace"));
        f.writeSettings(missing);
        const std::unique_ptr<Application> app = f.start();
        QVERIFY(app);
        MainWindow& window = *app->window();
        QCOMPARE(f.boxes.texts(),
                 (std::vector<std::string>{"Cannot write the trace file " + missing.toStdString() +
                                           ": No such file or directory. Board traffic is not "
                                           "traced."}));
        QVERIFY(!traceItem(window)->isChecked());
        QCOMPARE(f.setting(), QString());

        // A folder chosen as the file.
        f.boxes.clear();
        f.tracePath = f.folder.path();
        window.runCommand(command::TraceBoardTraffic);
        QCOMPARE(f.boxes.texts(),
                 (std::vector<std::string>{"Cannot write the trace file " + f.folder.path().toStdString() +
                                           ": Is a directory. Board traffic is not traced."}));
        QVERIFY(!traceItem(window)->isChecked());
        QCOMPARE(f.setting(), QString());

        // A device is no trace file, and a named pipe without a reader must not hold the program.
        f.boxes.clear();
        f.tracePath = QStringLiteral("/dev/null");
        window.runCommand(command::TraceBoardTraffic);
        QCOMPARE(f.boxes.texts(),
                 (std::vector<std::string>{
                     "Cannot write the trace file /dev/null: it is not a regular file. Board "
                     "traffic is not traced."}));
        f.boxes.clear();
        f.tracePath = f.folder.filePath(QStringLiteral("pipe"));
        QVERIFY(::mkfifo(f.tracePath.toLocal8Bit().constData(), 0600) == 0);
        window.runCommand(command::TraceBoardTraffic);
        QCOMPARE(f.boxes.boxes().size(), std::size_t{1});
        QVERIFY(!traceItem(window)->isChecked());
        QCOMPARE(f.setting(), QString());
    }
};

QTEST_MAIN(BoardTrafficTraceTest)
#include "board_traffic_trace_test.moc"
