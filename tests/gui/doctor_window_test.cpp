// Advanced > "Diagnose connection...": the window fills with the doctor's checks as they run
// against the simulated board, ends with the summary's advice, and speaks the program's language.
#include <QAction>
#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "app/doctor_window.h"
#include "app/main_menu.h"
#include "app/main_window.h"
#include "app/qt_user_interface.h"
#include "app/status_line.h"
#include "board/port_map.h"
#include "board/posix_serial_channel.h"
#include "core/clock.h"
#include "core/stoppable_clock.h"
#include "i18n/command_ids.h"
#include "sim/command_line.h"
#include "sim/pty_board_host.h"
#include "support/gui_test_support.h"
#include "workbench/workbench.h"

using namespace tovel;
using namespace tovel::app;

class DoctorWindowTest : public QObject {
    Q_OBJECT

    // The window's rows and summary after a run against a board with `simOptions`.
    void runAgainst(const std::vector<std::string>& simOptions, Language language, QStringList& rows,
                    QString& summary) {
        sim::PtyBoardHost board(sim::parseCommandLine(simOptions).options);
        QVERIFY(board.ok());
        QTemporaryDir folder;
        QtUserInterface ui;
        const std::unique_ptr<Workbench> ownedWorkbench = guitest::makeWorkbench(ui, folder);
        Workbench& workbench = *ownedWorkbench;
        ui.setMessages(workbench.messages());
        workbench.setLanguage(language);
        workbench.portMap().setOverride(1, board.slavePath());
        workbench.overridePortAndSpeed(1, 0);

        DoctorWindow window(workbench, nullptr);
        window.show();
        window.start();
        // Rows appear while the checks run, before the summary.
        QTRY_VERIFY_WITH_TIMEOUT(window.checkList()->count() > 0, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(window.finished(), 30000);
        for (int i = 0; i < window.checkList()->count(); ++i) rows << window.checkList()->item(i)->text();
        summary = window.summaryLabel()->text();
    }

private Q_SLOTS:
    void anUnpoweredTargetIsNamedWithItsFix() {
        QString summary;
        QStringList rows;
        runAgainst({"--no-target-power"}, Language::English, rows, summary);
        QVERIFY(rows.size() >= 8);
        QVERIFY2(rows.first().startsWith(QStringLiteral("ok: port: ")), qPrintable(rows.first()));
        QVERIFY2(rows.last().startsWith(QStringLiteral("fail: chip: signature 00 00 00: nothing answers")),
                 qPrintable(rows.last()));
        QVERIFY(summary.startsWith(QStringLiteral("fail: summary: signature 00 00 00")));
        QVERIFY2(summary.contains(QStringLiteral("Check the target's power")), qPrintable(summary));
    }

    void theWindowSpeaksRussian() {
        QString summary;
        QStringList rows;
        runAgainst({"--firmware", "loader"}, Language::Russian, rows, summary);
        QVERIFY(!rows.isEmpty());
        QVERIFY2(rows.last().startsWith(QStringLiteral("ошибка: плата: отвечает только загрузчик платы")),
                 qPrintable(rows.last()));
        QVERIFY(summary.contains(QStringLiteral("Обновите прошивку платы")));
    }

    // Cancel, and a close while the checks run: they stop within moments (the channel and the clock
    // watch the same request the program's progress window uses), the port is closed, the window
    // says so and the request is cleared for the next command.
    void cancelStopsARunningDiagnosis() {
        for (const bool byClosing : {false, true}) {
            // Reads agree only at the slowest SCK period: a full run tries every period.
            sim::PtyBoardHost board(sim::parseCommandLine({"--slow-chip-clock", "32000"}).options);
            QVERIFY(board.ok());
            QTemporaryDir folder;
            QtUserInterface ui;
            StopRequest stop;
            StoppableClock clock(systemClock(), stop);
            Workbench workbench(
                ui, clock,
                [&stop](const PortMap& ports) -> std::unique_ptr<SerialChannel> {
                    auto channel = std::make_unique<PosixSerialChannel>(ports);
                    channel->watchStop(&stop);
                    return channel;
                },
                folder.filePath(QStringLiteral("settings.ini")).toStdString());
            ui.setMessages(workbench.messages());
            workbench.portMap().setOverride(1, board.slavePath());
            workbench.overridePortAndSpeed(1, 0);

            DoctorWindow window(workbench, &stop);
            window.show();
            QVERIFY(!window.cancelButton()->isEnabled());
            window.start();
            QVERIFY(window.cancelButton()->isEnabled());
            QVERIFY(!window.closeButton()->isEnabled());
            QTRY_VERIFY_WITH_TIMEOUT(window.checkList()->count() > 0, 10000);
            QElapsedTimer timer;
            timer.start();
            if (byClosing)
                QTest::keyClick(&window, Qt::Key_Escape);
            else
                QTest::mouseClick(window.cancelButton(), Qt::LeftButton);
            QVERIFY(!window.cancelButton()->isEnabled());
            QTRY_VERIFY_WITH_TIMEOUT(window.finished(), 10000);
            QVERIFY2(timer.elapsed() < 3000, qPrintable(QString::number(timer.elapsed())));
            QCOMPARE(window.summaryLabel()->text(),
                     QStringLiteral("warn: summary: the diagnosis was cancelled before its end"));
            for (int i = 0; i < window.checkList()->count(); ++i)
                QVERIFY2(!window.checkList()->item(i)->text().contains(QStringLiteral(": chip: ")),
                         qPrintable(window.checkList()->item(i)->text()));
            QVERIFY(!workbench.session().channel().isConnected());
            QVERIFY(!stop.requested());
            // Closing while running closes the window once the checks have stopped.
            QCOMPARE(window.isVisible(), !byClosing);
            QVERIFY(window.closeButton()->isEnabled());
        }
    }

    // Failures that name no cause point to the Diagnose command: the connection-error boxes, and a
    // signature that reads as no chip at all. A cause the program names gets no such pointer.
    void unexplainedFailuresNameTheDiagnoseCommand() {
        const QString hint = QStringLiteral("Advanced > Diagnose connection... finds out why.");
        for (const auto& [simOptions, status, box] :
             std::vector<std::tuple<std::vector<std::string>, QString, QString>>{
                 {{"--no-target-power"},
                  QStringLiteral("Signature: 00 00 00 - Unknown device. ") + hint,
                  QString()},
                 {{"--firmware", "none"}, QStringLiteral("Connection error"), QString()},
                 {{"--fault", "silence,nth=5"},
                  QStringLiteral("Connection error"),
                  QStringLiteral("Connection error\n\n") + hint},
                 {{"--device", "ATmega16"}, QStringLiteral("Signature: 1E 94 03 - ATmega16"), QString()},
             }) {
            sim::PtyBoardHost board(sim::parseCommandLine(simOptions).options);
            QVERIFY(board.ok());
            QTemporaryDir folder;
            QtUserInterface ui;
            std::vector<QString> boxes;
            ui.setBoxHook([&](const ShownBox& shown) {
                boxes.push_back(QString::fromStdString(shown.text));
                return Answer::Ok;
            });
            const std::unique_ptr<Workbench> ownedWorkbench = guitest::makeWorkbench(ui, folder);
            Workbench& workbench = *ownedWorkbench;
            workbench.portMap().setOverride(1, board.slavePath());
            workbench.overridePortAndSpeed(1, 0);
            MainWindow window(workbench, ui);
            window.runCommand(command::ReadSignatureButton);
            QCOMPARE(window.statusLine().text(), status);
            if (!box.isEmpty())
                QVERIFY2(std::find(boxes.begin(), boxes.end(), box) != boxes.end(),
                         qPrintable(QStringList(boxes.begin(), boxes.end()).join(QLatin1Char('|'))));
            // The board without firmware is named as such, with no pointer.
            for (const QString& text : boxes)
                if (text.startsWith(QStringLiteral("Programmer has no firmware")))
                    QVERIFY(!text.contains(hint));
        }
    }

    void theAdvancedMenuOffersTheDiagnosis() {
        QMenuBar bar;
        MainMenu menu(bar);
        QAction* item = menu.action(command::DiagnoseConnection);
        QVERIFY(item != nullptr);
        QCOMPARE(item->text(), QStringLiteral("&Diagnose connection..."));
        menu.translate(Language::Russian);
        QCOMPARE(item->text(), QStringLiteral("&Диагностика соединения..."));
    }
};

QTEST_MAIN(DoctorWindowTest)
#include "doctor_window_test.moc"
