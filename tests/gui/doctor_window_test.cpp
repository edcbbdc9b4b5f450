// Advanced > "Diagnose connection...": the window fills with the doctor's checks as they run
// against the simulated board, ends with the summary's advice, and speaks the program's language.
#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>

#include "app/doctor_window.h"
#include "app/main_menu.h"
#include "app/qt_user_interface.h"
#include "board/port_map.h"
#include "board/posix_serial_channel.h"
#include "core/clock.h"
#include "i18n/command_ids.h"
#include "sim/command_line.h"
#include "sim/pty_board_host.h"
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
        Workbench workbench(
            ui, systemClock(),
            [](const PortMap& ports) -> std::unique_ptr<SerialChannel> {
                return std::make_unique<PosixSerialChannel>(ports);
            },
            folder.filePath(QStringLiteral("settings.ini")).toStdString());
        ui.setMessages(workbench.messages());
        workbench.setLanguage(language);
        workbench.portMap().setOverride(1, board.slavePath());
        workbench.overridePortAndSpeed(1, 0);

        DoctorWindow window(workbench);
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
