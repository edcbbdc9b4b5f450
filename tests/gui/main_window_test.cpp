// The main window over a real Workbench (no board attached): which commands are enabled for which
// chip and buffers, the title, the menus in Russian, drops, the recent projects and resizing.
#include <algorithm>

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>
#include <QtTest/qtestspontaneevent.h>

#include "app/help_window.h"
#include "app/language_dialog.h"
#include "app/main_menu.h"
#include "app/main_window.h"
#include "app/memory_preview.h"
#include "app/messages_panel.h"
#include "app/path_label.h"
#include "app/qt_language.h"
#include "app/qt_user_interface.h"
#include "app/status_line.h"
#include "board/posix_serial_channel.h"
#include "core/clock.h"
#include "devices/device_table.h"
#include "i18n/command_ids.h"
#include "image/memory_buffer.h"
#include "project/project.h"
#include "project/settings_file.h"
#include "support/gui_test_support.h"

using namespace tovel;
using namespace tovel::app;

namespace {

// The first row of a family, by the family combo's position.
int firstDeviceOf(Family family) { return DeviceTable::devicesOfFamily(familyPosition(family)).front(); }

int deviceNamed(const char* name) { return DeviceTable::findByName(name); }

struct WindowFixture {
    QTemporaryDir folder;
    QtUserInterface ui;
    guitest::BoxRecorder boxes;
    QtLanguage qtLanguage;
    std::unique_ptr<Workbench> workbench;
    std::unique_ptr<MainWindow> window;

    WindowFixture() {
        boxes.install(ui);
        workbench = guitest::makeWorkbench(ui, folder);
        window = std::make_unique<MainWindow>(*workbench, ui, &qtLanguage);
    }
    ~WindowFixture() { window.reset(); }

    // The person picks a chip with the two lists.
    void chooseDevice(int deviceNo) {
        const DeviceSelection selection = DeviceTable::selectionFromDeviceNo(deviceNo);
        QComboBox& family = window->familyCombo();
        family.setCurrentIndex(selection.familyPos);
        Q_EMIT family.activated(selection.familyPos);
        QComboBox& device = window->deviceCombo();
        device.setCurrentIndex(selection.devicePos);
        Q_EMIT device.activated(selection.devicePos);
    }

    bool enabled(int commandId) const { return window->button(commandId)->isEnabled(); }

    // `bytes` bytes of 0x5A as Intel HEX, in records of up to 16 bytes.
    QString hexFile(const QString& name, int bytes) {
        QByteArray text;
        for (int at = 0; at < bytes; at += 16) {
            const int n = std::min(16, bytes - at);
            int sum = n + (at >> 8) + (at & 0xFF) + n * 0x5A;
            text += ':' + QByteArray::number(n, 16).rightJustified(2, '0').toUpper() +
                    QByteArray::number(at, 16).rightJustified(4, '0').toUpper() + "00";
            text += QByteArray("5A").repeated(n);
            text += QByteArray::number((-sum) & 0xFF, 16).rightJustified(2, '0').toUpper() + "\r\n";
        }
        text += ":00000001FF\r\n";
        return guitest::writeFile(folder, name, text);
    }

    void drop(const QStringList& paths, const QPoint& at) {
        QMimeData mime;
        QList<QUrl> urls;
        for (const QString& path : paths) urls << QUrl::fromLocalFile(path);
        mime.setUrls(urls);
        // As the platform delivers it: the drag enters (which makes the window the drop target),
        // then the drop.
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window.get(), &enter);
        QDropEvent event(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window.get(), &event);
    }

    QPoint centreOf(QWidget& widget) const { return widget.mapTo(window.get(), widget.rect().center()); }
};

} // namespace

// Help is one of the bar's own menus (so arrow keys and screen readers reach it), drawn whole
// at the right edge, with no overflow chevron.
void helpIsAMenuOfTheBarAtItsRightEdge(MainWindow& window) {
    window.fixSizeToContent();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QMenuBar* bar = window.menuBar();
    QAction* help = window.menu().topLevelMenu(5)->menuAction();
    QVERIFY(bar->actions().contains(help));
    QVERIFY(bar->cornerWidget(Qt::TopRightCorner) == nullptr);
    const auto* chevron = bar->findChild<QWidget*>(QStringLiteral("qt_menubar_ext_button"));
    QVERIFY(chevron == nullptr || !chevron->isVisible());
    const QRect helpRect = bar->actionGeometry(help);
    QVERIFY(helpRect.isValid());
    QVERIFY(bar->width() - helpRect.right() < 12);
    QVERIFY(helpRect.left() > bar->actionGeometry(window.menu().topLevelMenu(4)->menuAction()).right());

    // Right from Advanced goes to Help, and the accessibility tree lists it.
    bar->setActiveAction(window.menu().topLevelMenu(4)->menuAction());
    QTest::keyClick(bar, Qt::Key_Right);
    QCOMPARE(bar->activeAction(), help);
    QTest::keyClick(bar, Qt::Key_Escape);
    QTest::keyClick(bar, Qt::Key_Escape);
    QAccessibleInterface* barNode = QAccessible::queryAccessibleInterface(bar);
    QVERIFY(barNode != nullptr);
    bool listed = false;
    for (int k = 0; k < barNode->childCount(); ++k) {
        QAccessibleInterface* child = barNode->child(k);
        if (child != nullptr && child->text(QAccessible::Name) == help->text().remove(QLatin1Char('&')))
            listed = true;
    }
    QVERIFY(listed);
}

class MainWindowTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void enablingRulesFollowTheChipAndTheBuffers() {
        WindowFixture f;
        // An AVR with calibration bytes, and no Flash image yet.
        f.chooseDevice(deviceNamed("ATmega8"));
        QVERIFY(f.enabled(command::ReadFlash));
        QVERIFY(!f.enabled(command::ProgramFlash));
        QVERIFY(!f.enabled(command::VerifyFlash));
        QVERIFY(f.enabled(command::ChipErase));
        QVERIFY(f.enabled(command::AutoProgram));
        QVERIFY(f.enabled(command::ReadSignatureButton));
        QVERIFY(f.window->menu().action(command::ReadCalibrationBytes)->isEnabled());
        // The menu items that share the ids stay enabled.
        QVERIFY(f.window->menu().action(command::ProgramFlash)->isEnabled());

        QVERIFY(f.workbench->loadBufferFile(Memory::Flash, f.hexFile("a.bin", 64).toStdString()));
        QVERIFY(f.enabled(command::ProgramFlash));
        QVERIFY(f.enabled(command::VerifyFlash));
        f.window->runCommand(command::CloseFlash);
        QVERIFY(!f.enabled(command::ProgramFlash));
        QVERIFY(!f.enabled(command::VerifyFlash));
        QVERIFY(f.enabled(command::ReadFlash));

        // AT25 serial EEPROM: no erase, no blank check, no auto-program.
        f.chooseDevice(firstDeviceOf(Family::At25));
        QVERIFY(!f.enabled(command::ChipErase));
        QVERIFY(!f.enabled(command::BlankCheck));
        QVERIFY(!f.enabled(command::AutoProgram));
        QVERIFY(f.enabled(command::ReadEeprom));
        QVERIFY(!f.enabled(command::ReadSignatureButton));
        QVERIFY(f.window->sckCombo().isEnabled());

        // AT45 DataFlash: no EEPROM commands, no auto-program, no SCK period.
        f.chooseDevice(firstDeviceOf(Family::At45));
        QVERIFY(f.workbench->loadBufferFile(Memory::Eeprom, f.hexFile("e.bin", 16).toStdString()));
        QVERIFY(!f.enabled(command::ReadEeprom));
        QVERIFY(!f.enabled(command::ProgramEeprom));
        QVERIFY(!f.enabled(command::VerifyEeprom));
        QVERIFY(!f.enabled(command::AutoProgram));
        QVERIFY(f.enabled(command::ChipErase));
        QVERIFY(!f.window->sckCombo().isEnabled());
        QVERIFY(!f.window->menu().action(command::ReadCalibrationBytes)->isEnabled());

        // Back to an AVR with EEPROM: the loaded EEPROM image can be programmed.
        f.chooseDevice(deviceNamed("ATmega8"));
        QVERIFY(f.enabled(command::ProgramEeprom));
        QVERIFY(f.window->sckCombo().isEnabled());
        QCOMPARE(f.workbench->deviceNo(), deviceNamed("ATmega8"));
    }

    void theTitleShowsTheProjectAndAModifiedMark() {
        WindowFixture f;
        const QString caption = QStringLiteral(" - Tovel/Tovel-U In-System Programmer 11.01");
        QCOMPARE(f.window->windowTitle(), QStringLiteral("[Unspecified]") + caption);

        const QString project =
            guitest::writeProject(f.folder, QStringLiteral("a.tvl"), deviceNamed("ATmega16"));
        QVERIFY(f.workbench->openProjectFile(project.toStdString()));
        QCOMPARE(f.window->windowTitle(), project + caption);
        QCOMPARE(f.window->deviceCombo().currentText(), QStringLiteral("ATmega16"));

        f.window->invertBox().click();
        QCOMPARE(f.window->windowTitle(), project + QStringLiteral("*") + caption);
        QVERIFY(f.window->flashPreview().swapPairs());
        f.window->invertBox().click(); // the project is modified already
        QVERIFY(!f.window->flashPreview().swapPairs());
        QVERIFY(!f.workbench->project().flashInvert);
    }

    void theIncBoxKeepsItsNewState() {
        WindowFixture f;
        f.window->incrementBox().click();
        QVERIFY(f.window->incrementBox().isChecked());
        QVERIFY(f.workbench->project().autoIncrementEeprom);
        f.window->incrementBox().click();
        QVERIFY(!f.window->incrementBox().isChecked());
        QVERIFY(!f.workbench->project().autoIncrementEeprom);
    }

    void projectSettingsReachTheWindowWhenTheProjectIsModifiedAlready() {
        WindowFixture f;
        f.window->invertBox().click(); // modified from now on
        QVERIFY(f.workbench->project().modified());
        ProjectSettings settings = f.workbench->project().settings();
        settings.autoIncrementEeprom = true;
        settings.sckPeriodIndex = 5;
        f.workbench->applyProjectSettings(settings);
        QVERIFY(f.window->incrementBox().isChecked());
        QCOMPARE(f.window->sckCombo().currentIndex(), 5);
        // "Inc" now turns the new state off rather than writing the old one back.
        f.window->incrementBox().click();
        QVERIFY(!f.workbench->project().autoIncrementEeprom);
        QCOMPARE(f.workbench->project().sckPeriodIndex, 5);
    }

    void theLanguageDialogSwitchesMenusWindowAndQtTexts() {
        WindowFixture f;
        QTimer::singleShot(0, [] {
            auto* dialog = qobject_cast<LanguageDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog != nullptr);
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Language"));
            QVERIFY(dialog->englishButton()->isChecked());
            dialog->russianButton()->setChecked(true);
            dialog->accept();
        });
        f.window->runCommand(command::SelectLanguage);

        MainMenu& menu = f.window->menu();
        QCOMPARE(menu.topLevelMenu(0)->title(), QStringLiteral("&Проект"));
        QCOMPARE(menu.topLevelMenu(1)->title(), QStringLiteral("&Flash"));
        QCOMPARE(menu.topLevelMenu(2)->title(), QStringLiteral("&Eeprom"));
        QCOMPARE(menu.topLevelMenu(5)->title(), QStringLiteral("&Справка"));
        helpIsAMenuOfTheBarAtItsRightEdge(*f.window);
        QCOMPARE(f.window->deviceGroup().title(), QStringLiteral("Микросхема"));
        QCOMPARE(f.window->windowTitle(),
                 QString::fromStdString(f.workbench->title())); // the title rule, in Russian now
        // Qt's own standard buttons speak Russian too.
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "&Yes"), QStringLiteral("&Да"));

        f.workbench->setLanguage(Language::English);
        QCOMPARE(menu.topLevelMenu(0)->title(), QStringLiteral("&Project"));
        QCOMPARE(f.window->button(command::AutoProgram)->text(), QStringLiteral("Autoprogram"));
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "&Yes"), QStringLiteral("&Yes"));
    }

    void dropsGoWhereTheyLand() {
        WindowFixture f;
        f.window->show();
        QSignalSpy beeps(f.window.get(), &MainWindow::beeped);

        // A project file opens as the project wherever it lands, whatever the case of its extension.
        const QString tvk =
            guitest::writeProject(f.folder, QStringLiteral("x.TVK"), deviceNamed("ATtiny2313"));
        f.drop({tvk}, f.centreOf(f.window->flashPreview()));
        QCOMPARE(QString::fromStdString(f.workbench->project().fileName()), tvk);
        QCOMPARE(f.window->deviceCombo().currentText(), QStringLiteral("ATtiny2313"));
        const QString tvl = guitest::writeProject(f.folder, QStringLiteral("y.tvl"), deviceNamed("ATmega8"));
        f.drop({tvl}, f.centreOf(f.window->deviceGroup()));
        QCOMPARE(QString::fromStdString(f.workbench->project().fileName()), tvl);
        QCOMPARE(beeps.count(), 0);

        // An image loads into the buffer whose preview it lands on.
        const QString hex = f.hexFile(QStringLiteral("x.hex"), 20);
        f.drop({hex}, f.centreOf(f.window->eepromPreview()));
        QCOMPARE(QString::fromStdString(f.workbench->eeprom().fileName()), hex);
        QCOMPARE(f.workbench->eeprom().size(), std::size_t{20});
        QVERIFY(!f.workbench->flash().hasData());
        QCOMPARE(f.window->statusLine().text(),
                 QStringLiteral("Eeprom length: 20 (0x14) bytes, Checksum = 0x0708"));
        QCOMPARE(f.window->eepromName().fullText(), hex);

        // Outside both previews it beeps; two files at once are ignored.
        f.drop({hex}, f.centreOf(f.window->deviceGroup()));
        QCOMPARE(beeps.count(), 1);
        f.drop({hex, tvl}, f.centreOf(f.window->flashPreview()));
        QCOMPARE(beeps.count(), 1);
        QVERIFY(!f.workbench->flash().hasData());
    }

    void recentProjectsAreListedMostRecentFirst() {
        WindowFixture f;
        MainMenu& menu = f.window->menu();
        QVERIFY(menu.recentActions().empty());
        QVERIFY(menu.action(32800)->isVisible());
        QVERIFY(!menu.action(32800)->isEnabled());

        const QString a = guitest::writeProject(f.folder, QStringLiteral("a&b.tvl"), 9);
        const QString b = guitest::writeProject(f.folder, QStringLiteral("b.tvl"), 9);
        f.boxes.clear();
        for (const QString& path : {a, b}) {
            QVERIFY(f.workbench->openProjectFile(path.toStdString()));
        }
        std::vector<QAction*> entries = menu.recentActions();
        QCOMPARE(entries.size(), std::size_t{2});
        QCOMPARE(entries[0]->text(), b);
        QCOMPARE(entries[1]->text(), QString(a).replace("&", "&&")); // the ampersand is shown, not a mnemonic
        QVERIFY(!menu.action(32800)->isVisible());

        entries[1]->trigger(); // reopens a, which moves to the top
        QCOMPARE(QString::fromStdString(f.workbench->project().fileName()), a);
        QCOMPARE(menu.recentActions()[0]->text(), QString(a).replace("&", "&&"));
    }

    void theWindowGrowsOnlyInHeightAndTheFlashAreaTakesIt() {
        WindowFixture f;
        f.window->fixSizeToContent();
        f.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        const QSize initial = f.window->size();

        const auto snapshot = [&] {
            QApplication::processEvents();
            return std::array<QRect, 6>{
                QRect(f.window->flashPreview().mapTo(f.window.get(), QPoint()),
                      f.window->flashPreview().size()),
                QRect(f.window->eepromGroup().mapTo(f.window.get(), QPoint()),
                      f.window->eepromGroup().size()),
                QRect(f.window->statusLine().mapTo(f.window.get(), QPoint()), f.window->statusLine().size()),
                QRect(f.window->sckCombo().mapTo(f.window.get(), QPoint()), f.window->sckCombo().size()),
                QRect(f.window->deviceGroup().mapTo(f.window.get(), QPoint()),
                      f.window->deviceGroup().size()),
                QRect(f.window->eepromPreview().mapTo(f.window.get(), QPoint()),
                      f.window->eepromPreview().size()),
            };
        };
        const auto before = snapshot();
        f.window->resize(initial.width(), initial.height() + 40);
        const auto after = snapshot();

        QCOMPARE(after[0].top(), before[0].top());
        QCOMPARE(after[0].height(), before[0].height() + 40); // the Flash preview grows
        for (const int moved : {1, 2, 3, 5}) {                // EEPROM area, status line, SCK list
            QCOMPARE(after[moved].top(), before[moved].top() + 40);
            QCOMPARE(after[moved].size(), before[moved].size());
        }
        QCOMPARE(after[4], before[4]); // the device area stays
        QVERIFY(f.window->flashPreview().visibleRows() > 0);

        // Neither wider nor smaller than it started.
        f.window->resize(initial.width() + 50, initial.height() - 30);
        QCOMPARE(f.window->size(), initial);
    }

    void statusLineHelpAndRightDoubleClickReachTheirCommands() {
        WindowFixture f;
        f.window->show();
        std::vector<bool> projectSettings;
        int advanced = 0;
        QString opened;
        DialogHooks hooks;
        hooks.projectSettings = [&](bool fromStatusLine) { projectSettings.push_back(fromStatusLine); };
        hooks.advancedBoardSettings = [&] { ++advanced; };
        hooks.openDocument = [&](const QString& path) {
            opened = path;
            return true;
        };
        f.window->setDialogHooks(hooks);

        QTest::mouseClick(&f.window->statusLine(), Qt::LeftButton);
        f.window->runCommand(command::ProjectSettings);
        QCOMPARE(projectSettings, (std::vector<bool>{true, false}));

        QTest::mouseDClick(&f.window->deviceGroup(), Qt::RightButton);
        QCOMPARE(advanced, 1);

        // The test program has no help folder beside it.
        f.boxes.clear();
        f.window->runCommand(command::Help);
        if (opened.isEmpty()) {
            QCOMPARE(f.boxes.boxes().size(), std::size_t{1});
            QVERIFY(QString::fromStdString(f.boxes.texts()[0])
                        .startsWith(QStringLiteral("Cannot find help file \"")));
            QCOMPARE(f.boxes.boxes()[0].caption, std::string("Tovel/Tovel-U Programmer"));
        } else {
            QVERIFY(opened.endsWith(QStringLiteral("help/index.html")));
        }
    }

    void exitAndTheCloseBoxAskAboutUnsavedWork() {
        WindowFixture f;
        f.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        f.window->runCommand(command::NewProject); // nothing unsaved: no question
        QVERIFY(f.boxes.boxes().empty());
        f.window->invertBox().click(); // a setting changed

        f.boxes.queueAnswer(Answer::Cancel);
        f.window->runCommand(command::Exit);
        QVERIFY(f.window->isVisible());
        QCOMPARE(f.boxes.boxes().size(), std::size_t{1});
        const ShownBox& question = f.boxes.boxes()[0];
        QCOMPARE(question.buttons, Buttons::SaveDiscardCancel);
        QCOMPARE(question.defaultAnswer, Answer::Yes); // Save

        // The window system's close box asks the same.
        f.boxes.queueAnswer(Answer::Cancel);
        QCloseEvent closeBox;
        QSpontaneKeyEvent::setSpontaneous(&closeBox);
        qApp->notify(f.window.get(), &closeBox); // sendEvent would make it a program's own close
        QVERIFY(!closeBox.isAccepted());
        QCOMPARE(f.boxes.boxes().size(), std::size_t{2});

        f.boxes.queueAnswer(Answer::No); // Discard
        f.window->runCommand(command::Exit);
        QVERIFY(!f.window->isVisible());
    }

    void standardShortcutsReachTheirCommands() {
        WindowFixture f;
        f.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        f.window->activateWindow();
        MainMenu& menu = f.window->menu();
        QCOMPARE(menu.action(command::OpenProject)->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
        QCOMPARE(menu.action(command::SaveProject)->shortcut(), QKeySequence(QStringLiteral("Ctrl+S")));
        QCOMPARE(menu.action(command::SaveProjectAs)->shortcut(),
                 QKeySequence(QStringLiteral("Ctrl+Shift+S")));
        QCOMPARE(menu.action(command::Exit)->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
        QCOMPARE(menu.action(command::Help)->shortcut(), QKeySequence(QStringLiteral("F1")));

        std::vector<FileChoice> asked;
        f.ui.setFileHook([&](const FileChoice& choice) -> std::optional<std::string> {
            asked.push_back(choice);
            return std::nullopt;
        });
        QTest::keyClick(f.window.get(), Qt::Key_O, Qt::ControlModifier);
        QTest::keyClick(f.window.get(), Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(asked.size(), std::size_t{2});
        QVERIFY(!asked[0].save);
        QVERIFY(asked[1].save);
        QTest::keyClick(f.window.get(), Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(!f.window->isVisible());
    }

    void theMessagesPanelKeepsEverythingSaidWithItsTime() {
        QTemporaryDir kept; // the fixture's folder goes with it
        const QString keptSettings = kept.filePath(QStringLiteral("settings.ini"));
        QString settingsPath;
        {
            WindowFixture f;
            settingsPath = f.folder.filePath(QStringLiteral("settings.ini"));
            QVERIFY(f.workbench->writeSettings()); // as start-up does
            MessagesPanel& panel = f.window->messagesPanel();
            QAction* toggle = panel.toggleViewAction();
            QVERIFY(f.window->menu().topLevelMenu(3)->actions().contains(toggle));
            QCOMPARE(toggle->text(), QStringLiteral("&Messages"));
            QVERIFY(!toggle->isChecked());

            f.window->runCommand(command::ReadSignature); // a status line, then a box
            const QStringList lines = panel.text().split(QLatin1Char('\n'));
            QCOMPARE(lines.size(), 3); // the status texts and the box, in order
            static const QRegularExpression stamped(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d  "));
            for (const QString& line : lines) QVERIFY2(stamped.match(line).hasMatch(), qPrintable(line));
            QVERIFY(lines[1].endsWith(QStringLiteral("Select COM port or click 'search board'")));
            QVERIFY(lines[2].endsWith(QStringLiteral("Tovel/Tovel-U Programmer: No board specified")));

            const QString saved = f.folder.filePath(QStringLiteral("log.txt"));
            f.ui.setFileHook([&](const FileChoice& choice) -> std::optional<std::string> {
                if (!choice.save) return std::nullopt;
                return saved.toStdString();
            });
            panel.saveButton().click();
            QFile file(saved);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(QString::fromUtf8(file.readAll()).trimmed(), panel.text());

            f.window->show();
            QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
            toggle->trigger(); // shown, and remembered
            QVERIFY(toggle->isChecked());
            QVERIFY(panel.isVisible());
            f.workbench->setLanguage(Language::Russian);
            QCOMPARE(toggle->text(), QStringLiteral("&Сообщения"));
            QCOMPARE(panel.windowTitle(), QStringLiteral("Сообщения"));
            QVERIFY(QFile::copy(settingsPath, keptSettings));
        }
        settingsPath = keptSettings;
        QtUserInterface ui;
        Workbench workbench(
            ui, systemClock(),
            [](const PortMap& ports) -> std::unique_ptr<SerialChannel> {
                return std::make_unique<PosixSerialChannel>(ports);
            },
            settingsPath.toStdString());
        MainWindow again(workbench, ui);
        again.show();
        QVERIFY(QTest::qWaitForWindowExposed(&again));
        QVERIFY(again.messagesPanel().isVisible());
        QVERIFY(again.messagesPanel().toggleViewAction()->isChecked());
        again.close(); // closing the window is not hiding the panel
        QVERIFY(SettingsFile(settingsPath.toStdString()).readShowMessages());
    }

    void helpOpensInTheProgramsOwnWindowWithContentsAndSearch() {
        QTemporaryDir folder;
        const QString manual = guitest::writeFile(
            folder, QStringLiteral("index.html"),
            "<html><body><h1>Manual</h1><h2>1. Board</h2><p>The board sits on a serial port.</p>"
            "<h3>Link speed</h3><p>Speeds.</p><h2>2. Fuses</h2><p>RSTDISBL takes the reset pin.</p>"
            "</body></html>");
        HelpWindow help;
        QVERIFY(help.loadManual(manual));
        QCOMPARE(help.contents().topLevelItemCount(), 2);
        QCOMPARE(help.contents().topLevelItem(0)->text(0), QStringLiteral("1. Board"));
        QCOMPARE(help.contents().topLevelItem(0)->child(0)->text(0), QStringLiteral("Link speed"));
        QVERIFY(help.find(QStringLiteral("RSTDISBL")));
        QCOMPARE(help.browser().textCursor().selectedText(), QStringLiteral("RSTDISBL"));
        QVERIFY(help.find(QStringLiteral("serial port"))); // from the top again
        QVERIFY(!help.find(QStringLiteral("no such words")));
        QVERIFY(help.findChildren<QLabel*>().last()->text() == QStringLiteral("Not found"));
        help.retranslate(Language::Russian);
        QCOMPARE(help.windowTitle(), QStringLiteral("Справка"));
        QVERIFY(!help.loadManual(folder.filePath(QStringLiteral("missing.html"))));

        // F1 in the main window: the help window, or, with no manual installed, a box saying so.
        WindowFixture f;
        f.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        f.window->activateWindow();
        QTest::keyClick(f.window.get(), Qt::Key_F1);
        if (f.window->helpWindow() != nullptr) {
            QVERIFY(f.window->helpWindow()->isVisible());
            QVERIFY(f.window->helpWindow()->contents().topLevelItemCount() > 0);
        } else {
            QCOMPARE(f.boxes.boxes().size(), std::size_t{1});
            QVERIFY(f.boxes.texts()[0].starts_with("Cannot find help file"));
        }
    }

    void russianShowsRussianUnitsListsAndFilters() {
        WindowFixture f;
        f.workbench->setLanguage(Language::Russian);
        QCOMPARE(f.window->sckCombo().itemText(0), QStringLiteral("0,25 мкс (4 МГц)"));
        QCOMPARE(f.window->sckCombo().itemText(7), QStringLiteral("150 мкс (7 кГц)"));
        QCOMPARE(f.workbench->flash().openChoice().filters.front(), std::string("Файлы HEX (*.hex)"));
        f.workbench->setLanguage(Language::English);
        QCOMPARE(f.window->sckCombo().itemText(0), QStringLiteral("0.25 uS (4 MHz)"));
    }

    void boardCommandsWithoutAPortSaySo() {
        WindowFixture f;
        f.window->runCommand(command::ReadSignature);
        QCOMPARE(f.window->statusLine().text(), QStringLiteral("Select COM port or click 'search board'"));
        QCOMPARE(f.boxes.texts(), (std::vector<std::string>{"No board specified"}));
        QCOMPARE(f.boxes.boxes()[0].icon, BoxIcon::Information);
        QVERIFY(!f.ui.busy());
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
