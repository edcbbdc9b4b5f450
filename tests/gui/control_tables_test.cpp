// The translation tables against the windows they retitle: every entry of a window's record finds
// a control that shows text in that window (or the window says it leaves it out), every row of the
// menu table finds its menu item, and every menu item and button has a handler in the command map.
// At run time a missing control only logs a warning; here it fails.
#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <map>
#include <memory>
#include <set>

#include "app/dialogs/about_dialog.h"
#include "app/dialogs/board_settings_dialog.h"
#include "app/dialogs/load_address_dialog.h"
#include "app/dialogs/lock_fuse_dialog.h"
#include "app/dialogs/lock_fuse_operations.h"
#include "app/dialogs/project_settings_dialog.h"
#include "app/dialogs/self_program_dialog.h"
#include "app/dialogs/window_translation.h"
#include "app/language_dialog.h"
#include "app/main_menu.h"
#include "app/main_window.h"
#include "app/progress_window.h"
#include "app/qt_user_interface.h"
#include "board/port_map.h"
#include "board/posix_serial_channel.h"
#include "core/clock.h"
#include "devices/device_table.h"
#include "i18n/command_ids.h"
#include "i18n/ui_translation.h"
#include "project/project.h"
#include "support/gui_test_support.h"

using namespace tovel;
using namespace tovel::app;

namespace {

class IdleLockFuseOperations : public LockFuseOperations {
public:
    bool readLockFuse(LockFuseSettings&) override { return false; }
    bool programLockFuse(const LockFuseSettings&) override { return false; }
    void verifyLockFuse(const LockFuseSettings&) override {}
    bool chipErase() override { return false; }
};

struct MainWindowFixture {
    QTemporaryDir folder;
    QtUserInterface ui;
    guitest::BoxRecorder boxes;
    std::unique_ptr<Workbench> workbench;
    std::unique_ptr<MainWindow> window;

    MainWindowFixture() {
        boxes.install(ui);
        workbench = guitest::makeWorkbench(ui, folder);
        window = std::make_unique<MainWindow>(*workbench, ui);
    }
    ~MainWindowFixture() { window.reset(); }
};

bool showsText(const QWidget* control) {
    return qobject_cast<const QAbstractButton*>(control) != nullptr ||
           qobject_cast<const QGroupBox*>(control) != nullptr ||
           qobject_cast<const QLabel*>(control) != nullptr ||
           qobject_cast<const QLineEdit*>(control) != nullptr;
}

// The ids the window's own controls carry, each once.
QString repeatedIds(const QWidget& window) {
    std::set<unsigned> seen;
    QString repeated;
    for (const QWidget* child : window.findChildren<QWidget*>()) {
        const unsigned id = controlId(child);
        if (id != 0 && child->window() == &window && !seen.insert(id).second)
            repeated += QString::number(id) + u' ';
    }
    return repeated;
}

} // namespace

class ControlTablesTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        // A record entry the window neither has nor leaves out is reported with this warning.
        QTest::failOnWarning(QRegularExpression(QStringLiteral("translation (record|table)")));
    }

    void everyRecordEntryFindsItsControl() {
        MainWindowFixture main;
        const Messages messages;
        IdleLockFuseOperations operations;
        ProjectSettings project;
        const PortMap ports;
        const int lockFuseDevice = DeviceTable::findByName("ATmega128");
        QVERIFY(lockFuseDevice >= 0);

        // Each window that has a record, as the program opens it.
        const std::map<unsigned, std::function<std::unique_ptr<QWidget>()>> windows = {
            {ui::ProjectSettingsDialogId,
             [&] { return std::make_unique<ProjectSettingsDialog>(project, operations, messages); }},
            {ui::BoardSettingsDialogId,
             [&] { return std::make_unique<BoardSettingsDialog>(1, 0, ports, messages); }},
            {ui::AboutDialogId, [&] { return std::make_unique<AboutDialog>(messages); }},
            {ui::LanguageDialogId,
             [&] { return std::make_unique<LanguageDialog>(nullptr, Language::English); }},
            {ui::ProgressWindowId, [&] { return std::make_unique<ProgressWindow>(nullptr, messages); }},
            {ui::LockFuseBitsDialogId,
             [&] {
                 return std::make_unique<LockFuseDialog>(lockFuseDevice, LockFuseSettings{}, operations,
                                                         messages, LockFuseDialog::Mode::Normal);
             }},
            {ui::LoadAddressDialogId, [&] { return std::make_unique<LoadAddressDialog>(0, messages); }},
            {ui::SelfProgramDialogId,
             [&] { return std::make_unique<SelfProgramDialog>("1.00", "1.01", messages); }},
        };

        for (const ui::DialogTranslation& record : ui::dialogTranslations()) {
            std::unique_ptr<QWidget> owned;
            QWidget* window = nullptr;
            if (record.dialogId == ui::MainWindowId) {
                window = main.window.get();
            } else {
                const auto factory = windows.find(record.dialogId);
                if (factory == windows.end())
                    QFAIL(qPrintable(
                        QStringLiteral("record %1 has no window in this test").arg(record.dialogId)));
                owned = factory->second();
                window = owned.get();
            }
            QVERIFY2(repeatedIds(*window).isEmpty(), qPrintable(QStringLiteral("window %1 repeats ids %2")
                                                                    .arg(record.dialogId)
                                                                    .arg(repeatedIds(*window))));
            for (const ui::ControlTranslation& entry : record.controls) {
                const QString where =
                    QStringLiteral("window %1, control %2").arg(record.dialogId).arg(entry.controlId);
                const QWidget* control = findControl(*window, entry.controlId);
                if (leavesOut(*window, entry.controlId)) {
                    QVERIFY2(control == nullptr,
                             qPrintable(where + QStringLiteral(" is there but left out")));
                    continue;
                }
                QVERIFY2(control != nullptr, qPrintable(where + QStringLiteral(" is missing")));
                QVERIFY2(showsText(control), qPrintable(where + QStringLiteral(" cannot show a text")));
            }
            // Both languages retitle without a warning (init() fails the test on one).
            for (const Language language : {Language::Russian, Language::English})
                translateWindow(*window, record.dialogId, language);
        }
    }

    void everyMenuRowFindsItsItemInBothLanguages() {
        MainWindowFixture main;
        MainMenu& menu = main.window->menu();
        for (const Language language : {Language::Russian, Language::English}) {
            menu.translate(language);
            for (const ui::MenuText& row : ui::menuTexts(language)) {
                const QString text =
                    QString::fromUtf8(row.text.data(), static_cast<qsizetype>(row.text.size()));
                if (ui::isTopLevelMenuKey(row.key)) {
                    QCOMPARE(menu.topLevelMenu(ui::topLevelMenuPosition(row.key))->title(), text);
                } else {
                    QAction* item = menu.action(row.key);
                    QVERIFY2(item != nullptr,
                             qPrintable(QStringLiteral("menu row %1 has no item").arg(row.key)));
                    QCOMPARE(item->text(), text);
                }
            }
            // And the other way round: no item is left without a text.
            for (int position = 0; position < MainMenu::kTopLevelCount; ++position) {
                QVERIFY(!menu.topLevelMenu(position)->title().isEmpty());
                for (const QAction* item : menu.topLevelMenu(position)->actions()) {
                    if (!item->isSeparator())
                        QVERIFY2(!item->text().isEmpty(),
                                 qPrintable(QStringLiteral("menu %1").arg(position)));
                }
            }
        }
    }

    void everyMenuItemAndButtonHasAHandler() {
        MainWindowFixture main;
        MainWindow& window = *main.window;
        for (const ui::MenuTranslation& row : ui::menuTranslations()) {
            if (ui::isTopLevelMenuKey(row.key) || row.key == command::RecentProjectsPlaceholder) continue;
            QVERIFY2(window.hasCommand(row.key), qPrintable(QStringLiteral("menu item %1").arg(row.key)));
        }
        QVERIFY(window.hasCommand(command::DiagnoseConnection));
        QVERIFY(!window.hasCommand(command::RecentProjectsPlaceholder));
        for (int commandId = command::FirstRecentProject; commandId <= command::LastRecentProject;
             ++commandId)
            QVERIFY(window.hasCommand(commandId));
        int buttons = 0;
        for (const QPushButton* button : window.findChildren<QPushButton*>()) {
            const unsigned id = controlId(button);
            if (id == 0 || button->window() != &window) continue;
            ++buttons;
            QVERIFY2(window.hasCommand(static_cast<int>(id)),
                     qPrintable(QStringLiteral("button %1").arg(id)));
        }
        QCOMPARE(buttons, 14); // four ">>" and "!" buttons, ten in the device area
        QVERIFY(window.hasCommand(command::FlashInvert));
        QVERIFY(window.hasCommand(command::EepromAutoIncrement));
        QVERIFY(window.hasCommand(command::StatusLineClick));
        QVERIFY(window.hasCommand(command::AdvancedBoardSettings));
        // The two ids of the original menu without an action.
        QVERIFY(!window.hasCommand(32778));
        QVERIFY(!window.hasCommand(32794));
    }
};

QTEST_MAIN(ControlTablesTest)
#include "control_tables_test.moc"
