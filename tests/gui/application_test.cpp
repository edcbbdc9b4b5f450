// Start-up as the person meets it: the first-run port prompt, the project on the command line,
// and auto-program against the simulated board, both unattended and from the window.
#include <QFile>
#include <QPushButton>
#include <QSettings>
#include <QTest>

#include "app/application.h"
#include "app/main_window.h"
#include "app/memory_preview.h"
#include "app/qt_user_interface.h"
#include "app/status_line.h"
#include "devices/device_table.h"
#include "i18n/command_ids.h"
#include "image/memory_buffer.h"
#include "project/project.h"
#include "support/gui_test_support.h"
#include "workbench/workbench.h"

using namespace tovel;
using namespace tovel::app;

namespace {

// A short reset strobe keeps the runs quick (a project without the key gets 400 ms).
const QString kAutoSteps = QStringLiteral(
    "[Settings]\nResetStrobeLength=20\n[AutoProgram]\nAutoErase=1\nAutoFlashProgram=1\nAutoFlashVerify=1\n");

// A settings file's integer value (absent: -1).
int settingOf(const QString& path, const QString& key) {
    return QSettings(path, QSettings::IniFormat).value(key, -1).toInt();
}

struct StartFixture {
    QTemporaryDir folder;
    guitest::BoxRecorder boxes;
    QString settingsPath = folder.filePath(QStringLiteral("tovelisp.ini"));
    QString image;
    QString project;

    StartFixture() {
        QByteArray bytes;
        for (int i = 0; i < 300; ++i) bytes.append(static_cast<char>(i * 3));
        image = guitest::writeFile(folder, QStringLiteral("firmware.bin"), bytes);
        project = guitest::writeProject(folder, QStringLiteral("job.tvl"), DeviceTable::findByName("ATmega8"),
                                        image, kAutoSteps);
    }

    ProgramOptions options(std::initializer_list<std::string> arguments) {
        std::vector<std::string> list{"--settings", settingsPath.toStdString()};
        list.insert(list.end(), arguments);
        return parseProgramOptions(list);
    }
};

} // namespace

class ApplicationTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void theFirstRunAsksForThePort() {
        StartFixture f;
        Application app(f.options({}));
        f.boxes.install(app.ui());
        std::vector<std::pair<int, int>> asked;
        app.setFirstRunPrompt([&](int port, int baud) -> std::optional<std::pair<int, int>> {
            asked.emplace_back(port, baud);
            return std::pair{3, 1};
        });
        QVERIFY(!app.start().has_value());
        QCOMPARE(asked, (std::vector<std::pair<int, int>>{{0, 0}}));
        QCOMPARE(app.workbench()->comPort(), 3);
        QCOMPARE(settingOf(f.settingsPath, "Connect/COM"), 3);
        QCOMPARE(settingOf(f.settingsPath, "Connect/HighSpeed"), 1);
        QVERIFY(app.window()->isVisible());
        QCOMPARE(app.window()->statusLine().text(),
                 QStringLiteral("Tovel/Tovel-U In-System Programmer 11.01"));

        // The next start finds the port and does not ask.
        app.finish();
        Application again(f.options({}));
        bool askedAgain = false;
        again.setFirstRunPrompt([&](int, int) -> std::optional<std::pair<int, int>> {
            askedAgain = true;
            return std::nullopt;
        });
        QVERIFY(!again.start().has_value());
        QVERIFY(!askedAgain);
        QCOMPARE(again.workbench()->comPort(), 3);
    }

    void cancellingTheFirstRunPromptStillStarts() {
        StartFixture f;
        Application app(f.options({}));
        app.setFirstRunPrompt([](int, int) -> std::optional<std::pair<int, int>> { return std::nullopt; });
        QVERIFY(!app.start().has_value());
        QCOMPARE(app.workbench()->comPort(), 0);
        QCOMPARE(settingOf(f.settingsPath, "Connect/COM"), 0);
    }

    void aWrongSwitchOnlyOpensTheProject() {
        StartFixture f;
        Application app(f.options({"--simulate", f.project.toStdString(), "-AUTOPROGRAM"}));
        f.boxes.install(app.ui());
        QVERIFY(!app.start().has_value());
        QCOMPARE(QString::fromStdString(app.workbench()->project().fileName()), f.project);
        QCOMPARE(app.workbench()->flash().size(), std::size_t{300});
        QVERIFY(f.boxes.boxes().empty());
    }

    void autoprogramOnTheCommandLineRunsUnattendedAndEnds() {
        StartFixture f;
        guitest::writeFile(f.folder, QStringLiteral("tovelisp.ini"), "[Connect]\nCOM=5\n");
        {
            Application app(f.options({"--simulate", f.project.toStdString(), "-autoprogram"}));
            f.boxes.install(app.ui());
            const std::optional<int> status = app.start();
            QCOMPARE(status, std::optional<int>(0));
            QVERIFY(!app.window()->isVisible()); // never interactive
            QCOMPARE(f.boxes.texts(), (std::vector<std::string>{"AUTOPROGRAM: OK"}));
            QCOMPARE(f.boxes.boxes()[0].kind, ShownBox::Plain);
            QCOMPARE(app.ui().lastStatus(), QStringLiteral("Autoprogram: DONE (300 Flash bytes programmed)"));
            QVERIFY(!app.ui().busy());
        }
        // The exit steps ran: the person's port was kept, the project heads the recent list.
        QCOMPARE(settingOf(f.settingsPath, "Connect/COM"), 5);
        QCOMPARE(QSettings(f.settingsPath, QSettings::IniFormat).value("Recent/Project1").toString(),
                 f.project);
    }

    void autoprogramFromTheWindowShowsTheVerifiedImage() {
        StartFixture f;
        Application app(f.options({"--simulate=ATmega8", f.project.toStdString()}));
        f.boxes.install(app.ui());
        QVERIFY(!app.start().has_value());
        MainWindow& window = *app.window();
        QVERIFY(window.button(command::AutoProgram)->isEnabled());

        window.runCommand(command::AutoProgram);
        QCOMPARE(window.statusLine().text(),
                 QStringLiteral("Autoprogram: DONE (300 Flash bytes programmed)"));
        QVERIFY(f.boxes.boxes().empty());
        const MemoryBuffer& flash = app.workbench()->flash();
        for (std::size_t i = 0; i < flash.size(); ++i)
            QCOMPARE(flash.attributes()[i], std::uint8_t(ByteAttribute::Verified));
        QVERIFY(!flash.plain());

        // Reading the chip back gives the same bytes.
        window.runCommand(command::ReadFlash);
        QVERIFY(window.statusLine().text().startsWith(QStringLiteral("Flash length: 8192 (0x2000) bytes")));
        QCOMPARE(app.workbench()->flash().data()[299], std::uint8_t(299 * 3));
    }
};

QTEST_MAIN(ApplicationTest)
#include "application_test.moc"
