// Every control of the main window and of each dialog has a name a screen reader can read, in
// both languages: its own text, a label that names it, or an accessible name of its own.
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextEdit>

#include "app/dialogs/about_dialog.h"
#include "app/dialogs/board_settings_dialog.h"
#include "app/dialogs/load_address_dialog.h"
#include "app/dialogs/lock_fuse_dialog.h"
#include "app/dialogs/lock_fuse_operations.h"
#include "app/dialogs/project_settings_dialog.h"
#include "app/dialogs/self_program_dialog.h"
#include "app/help_window.h"
#include "app/language_dialog.h"
#include "app/main_window.h"
#include "app/memory_preview.h"
#include "app/messages_panel.h"
#include "app/qt_user_interface.h"
#include "board/port_map.h"
#include "board/posix_serial_channel.h"
#include "core/clock.h"
#include "devices/device_table.h"
#include "image/memory_buffer.h"
#include "project/project_settings.h"
#include "support/gui_test_support.h"

using namespace tovel;
using namespace tovel::app;

namespace {

class NoChip : public LockFuseOperations {
public:
    bool readLockFuse(LockFuseSettings&) override { return false; }
    bool programLockFuse(const LockFuseSettings&) override { return false; }
    void verifyLockFuse(const LockFuseSettings&) override {}
    bool chipErase() override { return false; }
};

// A control whose accessible name does not come from text of its own: it needs an accessible
// name, or a label that names it (the label-for relation a screen reader follows).
bool needsItsOwnName(const QWidget& widget) {
    return qobject_cast<const QComboBox*>(&widget) != nullptr ||
           qobject_cast<const QLineEdit*>(&widget) != nullptr ||
           qobject_cast<const QAbstractSpinBox*>(&widget) != nullptr ||
           qobject_cast<const QAbstractSlider*>(&widget) != nullptr ||
           qobject_cast<const QAbstractItemView*>(&widget) != nullptr ||
           qobject_cast<const QPlainTextEdit*>(&widget) != nullptr ||
           qobject_cast<const QTextEdit*>(&widget) != nullptr ||
           qobject_cast<const MemoryPreview*>(&widget) != nullptr;
}

bool namedByALabel(const QWidget& widget, const QWidget& window) {
    for (const QLabel* label : window.findChildren<QLabel*>())
        if (label->buddy() == &widget && !label->text().isEmpty()) return true;
    return false;
}

// The controls of `window` a person can reach without a name, as "class (object name)".
QStringList unnamedControls(QWidget& window) {
    QStringList unnamed;
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        if (widget->focusPolicy() == Qt::NoFocus || !widget->isVisibleTo(&window)) continue;
        if (qobject_cast<QAbstractSlider*>(widget) != nullptr &&
            qobject_cast<QAbstractItemView*>(widget->parentWidget()))
            continue;
        // Parts of a composite (a combo's line edit, a view's viewport) are named by it.
        if (qobject_cast<QComboBox*>(widget->parentWidget()) != nullptr) continue;
        if (qobject_cast<QAbstractScrollArea*>(widget->parentWidget()) != nullptr &&
            qobject_cast<QAbstractButton*>(widget) == nullptr)
            continue;
        QAccessibleInterface* node = QAccessible::queryAccessibleInterface(widget);
        const QString spoken = node != nullptr ? node->text(QAccessible::Name).trimmed() : QString();
        const bool named = needsItsOwnName(*widget) ? !widget->accessibleName().trimmed().isEmpty() ||
                                                          namedByALabel(*widget, window)
                                                    : !spoken.isEmpty();
        if (!named)
            unnamed << QStringLiteral("%1 (%2)").arg(QString::fromLatin1(widget->metaObject()->className()),
                                                     widget->objectName());
    }
    return unnamed;
}

void expectAllNamed(QWidget& window) {
    const QStringList unnamed = unnamedControls(window);
    QVERIFY2(unnamed.isEmpty(), qPrintable(QString::fromLatin1(window.metaObject()->className()) +
                                           QStringLiteral(": ") + unnamed.join(QStringLiteral(", "))));
}

} // namespace

class AccessibilityTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyControlHasANameInBothLanguages() {
        for (const Language language : {Language::English, Language::Russian}) {
            const Messages messages(language);
            NoChip chip;

            QTemporaryDir folder;
            QtUserInterface ui;
            const std::unique_ptr<Workbench> ownedWorkbench = guitest::makeWorkbench(ui, folder);
            Workbench& workbench = *ownedWorkbench;
            workbench.setLanguage(language);
            MainWindow window(workbench, ui);
            window.messagesPanel().show();
            expectAllNamed(window);

            ProjectSettings project;
            project.programFuses = true;
            for (const int device :
                 {DeviceTable::findByName("ATmega8"), DeviceTable::findByName("AT89S52")}) {
                LockFuseDialog lockFuse(device, LockFuseSettings{}, chip, messages,
                                        LockFuseDialog::Mode::Normal);
                expectAllNamed(lockFuse);
            }
            ProjectSettingsDialog projectSettings(project, chip, messages);
            expectAllNamed(projectSettings);
            PortMap ports;
            BoardSettingsDialog board(1, 1, ports, messages);
            expectAllNamed(board);
            LoadAddressDialog loadAddress(16, messages);
            expectAllNamed(loadAddress);
            SelfProgramDialog selfProgram("M01 1.00", "M01 1.01", messages);
            expectAllNamed(selfProgram);
            AboutDialog about(messages, nullptr, folder.filePath(QStringLiteral("index.html")));
            expectAllNamed(about);
            LanguageDialog languageDialog(nullptr, language);
            expectAllNamed(languageDialog);
            HelpWindow help;
            help.retranslate(language);
            expectAllNamed(help);
        }
    }

    void thePreviewStaysReadableInADarkPalette() {
        QTemporaryDir folder;
        QtUserInterface ui;
        const std::unique_ptr<Workbench> ownedWorkbench = guitest::makeWorkbench(ui, folder);
        Workbench& workbench = *ownedWorkbench;
        MainWindow window(workbench, ui);
        QPalette dark;
        for (const QPalette::ColorRole role : {QPalette::Window, QPalette::Base, QPalette::Button})
            dark.setColor(role, QColor(0x20, 0x20, 0x20));
        for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            dark.setColor(role, QColor(0xE0, 0xE0, 0xE0));
        window.setPalette(dark);
        QVERIFY(workbench.eeprom().create(16));
        // The dark history colours are drawn on a light page, not on the palette's dark base.
        const QImage shot = window.eepromPreview().grab().toImage();
        const QColor page = shot.pixelColor(shot.width() / 2, shot.height() - 6);
        QVERIFY2(page.lightness() > 200, qPrintable(page.name()));
    }

    void thePreviewTellsTheAddressValueAndStateAtItsCursor() {
        QTemporaryDir folder;
        QtUserInterface ui;
        const std::unique_ptr<Workbench> ownedWorkbench = guitest::makeWorkbench(ui, folder);
        Workbench& workbench = *ownedWorkbench;
        MainWindow window(workbench, ui);
        QVERIFY(workbench.eeprom().create(40));
        MemoryPreview& preview = window.eepromPreview();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        preview.setFocus();
        QCOMPARE(preview.cursorDescription(), QString());
        // The keyboard alone starts editing and moves the cursor.
        QTest::keyClick(&preview, Qt::Key_Return);
        QTest::keyClick(&preview, Qt::Key_Down);
        QTest::keyClick(&preview, Qt::Key_Right);
        QCOMPARE(preview.cursorDescription(), QStringLiteral("Address 0x000011, value 0xFF, not confirmed"));
        QCOMPARE(preview.accessibleDescription(), preview.cursorDescription());
        QTest::keyClicks(&preview, QStringLiteral("A5"));
        QTest::keyClick(&preview, Qt::Key_Left);
        QCOMPARE(preview.cursorDescription(),
                 QStringLiteral("Address 0x000011, value 0xA5, changed in memory"));

        workbench.setLanguage(Language::Russian);
        QCOMPARE(preview.cursorDescription(),
                 QString::fromUtf8("Адрес 0x000011, значение 0xA5, изменен в памяти"));
        QCOMPARE(preview.accessibleName(), QString::fromUtf8("Образ EEPROM"));
    }
};

QTEST_MAIN(AccessibilityTest)
#include "accessibility_test.moc"
