// The command line: the project, the exact "-autoprogram" switch, and the program's options.
#include <QTest>

#include "app/program_options.h"

using namespace tovel::app;

namespace {

ProgramOptions parse(std::initializer_list<const char*> arguments) {
    std::vector<std::string> list;
    for (const char* argument : arguments) list.emplace_back(argument);
    return parseProgramOptions(list);
}

} // namespace

class ProgramOptionsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void theSwitchMustBeExact_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("project");
        QTest::addColumn<bool>("autoProgram");

        QTest::newRow("project and switch") << QStringList{"job.tvl", "-autoprogram"} << "job.tvl" << true;
        QTest::newRow("path with blanks")
            << QStringList{"/home/a b/job.tvl", "-autoprogram"} << "/home/a b/job.tvl" << true;
        QTest::newRow("project only") << QStringList{"job.tvl"} << "job.tvl" << false;
        // The blank that separated the switch is part of it when quoted with it.
        QTest::newRow("two blanks") << QStringList{"job.tvl", " -autoprogram"} << "job.tvl" << false;
        QTest::newRow("upper case") << QStringList{"job.tvl", "-AUTOPROGRAM"} << "job.tvl" << false;
        QTest::newRow("trailing text") << QStringList{"job.tvl", "-autoprogram", "now"} << "job.tvl" << false;
        QTest::newRow("switch alone is a path") << QStringList{"-autoprogram"} << "-autoprogram" << false;
        QTest::newRow("empty project") << QStringList{"", "-autoprogram"} << "" << false;
        QTest::newRow("options first")
            << QStringList{"--simulate", "--settings", "s.ini", "job.tvl", "-autoprogram"} << "job.tvl"
            << true;
        QTest::newRow("after --") << QStringList{"--", "--odd.tvl", "-autoprogram"} << "--odd.tvl" << true;
        QTest::newRow("nothing") << QStringList{} << "" << false;
    }

    void theSwitchMustBeExact() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, project);
        QFETCH(bool, autoProgram);
        std::vector<std::string> list;
        for (const QString& argument : arguments) list.push_back(argument.toStdString());
        const ProgramOptions options = parseProgramOptions(list);
        QVERIFY(options.error.empty());
        QCOMPARE(QString::fromStdString(options.projectPath.value_or("")), project);
        QCOMPARE(options.autoProgramRequested(), autoProgram);
    }

    void options() {
        ProgramOptions o = parse({"--simulate"});
        QCOMPARE(o.simulatedDevice.value_or(""), std::string(kDefaultSimulatedDevice));
        o = parse({"--simulate=AT45DB642", "--settings=/tmp/x.ini"});
        QCOMPARE(o.simulatedDevice.value_or(""), std::string("AT45DB642"));
        QCOMPARE(o.settingsPath.value_or(""), std::string("/tmp/x.ini"));
        o = parse({"--screenshot", "a.png", "--run=1009,1010", "--click=3", "--choose=b.hex", "--dismiss=2"});
        QCOMPARE(o.screenshotPath.value_or(""), std::string("a.png"));
        QCOMPARE(o.commandsBeforeScreenshot, (std::vector<int>{1009, 1010}));
        QCOMPARE(o.clickBeforeScreenshot.value_or(0), 3u);
        QCOMPARE(o.fileForDialogs.value_or(""), std::string("b.hex"));
        QCOMPARE(o.dialogsToDismiss, 2);
        QVERIFY(parse({"--help"}).help);
        QVERIFY(parse({"--version"}).version);

        QVERIFY(!parse({"--settings"}).error.empty());
        QVERIFY(!parse({"--simulate="}).error.empty());
        QVERIFY(!parse({"--frobnicate"}).error.empty());
        QVERIFY(!parse({"--run=1009,,1"}).error.empty());
        QVERIFY(!parse({"--run=abc"}).error.empty());
        QVERIFY(!parse({"--click=3,4"}).error.empty());
    }
};

QTEST_APPLESS_MAIN(ProgramOptionsTest)
#include "program_options_test.moc"
