#include <QCheckBox>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "app/dialogs/lock_fuse_dialog.h"
#include "app/dialogs/message_box.h"
#include "devices/device_table.h"
#include "devices/fuse_layout.h"
#include "dialog_test_support.h"

using namespace tovel;
using tovel::test::FakeLockFuseOperations;

namespace {

int device(const char* name) { return DeviceTable::findByName(name); }

QPushButton* fuseBox(const LockFuseDialog& dialog, int k) {
    return dialog.controlAs<QPushButton>(LockFuseDialog::kFuseBoxIds[k]);
}
QCheckBox* bootLockBox(const LockFuseDialog& dialog, int k) {
    return dialog.controlAs<QCheckBox>(LockFuseDialog::kBootLockBoxIds[k]);
}
QRadioButton* lockRadio(const LockFuseDialog& dialog, int level) {
    return dialog.controlAs<QRadioButton>(LockFuseDialog::kLockRadioIds[level]);
}
QPushButton* button(const LockFuseDialog& dialog, unsigned id) { return dialog.controlAs<QPushButton>(id); }

} // namespace

class LockFuseDialogTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { MessageBox::takeShownTexts(); }

    void atmega8ShowsSixteenFusesFourBootLocksAndThreeLockLevels() {
        const Messages messages;
        FakeLockFuseOperations operations;
        const int mega8 = device("ATmega8");
        LockFuseSettings shown = test::withFuses(mega8, {"SPIEN", "BOOTSZ0"});
        shown.lockMode = 1;
        shown.bootLock[2] = 1;
        shown.readable = 1;
        LockFuseDialog dialog(mega8, shown, operations, messages, LockFuseDialog::Mode::Normal);

        QCOMPARE(dialog.windowTitle(), QStringLiteral("Lock/Fuse Bits"));
        const FuseLayout& layout = *layoutOf(mega8);
        QCOMPARE(layout.fuseCount, 16);
        for (int k = 0; k < 16; ++k) {
            QCOMPARE(fuseBox(dialog, k)->text(), QString::fromUtf8(layout.fuseBits[k].name));
            QVERIFY(fuseBox(dialog, k)->isEnabled());
            QVERIFY(fuseBox(dialog, k)->isCheckable());
            QCOMPARE(fuseBox(dialog, k)->isChecked(), shown.fuse[k] != 0);
        }
        for (int k = 16; k < 24; ++k) {
            QCOMPARE(fuseBox(dialog, k)->text(), QStringLiteral("Unused"));
            QVERIFY(!fuseBox(dialog, k)->isEnabled());
        }
        const char* bootNames[] = {"BLB01", "BLB02", "BLB11", "BLB12"};
        for (int k = 0; k < 4; ++k) {
            QCOMPARE(bootLockBox(dialog, k)->text(), QString::fromUtf8(bootNames[k]));
            QVERIFY(bootLockBox(dialog, k)->isEnabled());
            QCOMPARE(bootLockBox(dialog, k)->isChecked(), k == 2);
        }
        QCOMPARE(lockRadio(dialog, 0)->text(), QStringLiteral("No"));
        QCOMPARE(lockRadio(dialog, 1)->text(), QStringLiteral("LB1: Write protect"));
        QCOMPARE(lockRadio(dialog, 2)->text(), QStringLiteral("LB1+LB2: R&&W protect"));
        QCOMPARE(lockRadio(dialog, 3)->text(), QStringLiteral("LB1+LB2+LB3 (89S only)"));
        QVERIFY(!lockRadio(dialog, 3)->isEnabled());
        QVERIFY(lockRadio(dialog, 1)->isChecked());

        // Normal mode: erase is offered, saving is not; the legend and the buttons are retitled.
        QVERIFY(button(dialog, LockFuseDialog::ChipEraseId)->isEnabled());
        QVERIFY(!button(dialog, LockFuseDialog::CloseAndSaveId)->isEnabled());
        QVERIFY(button(dialog, LockFuseDialog::ReadId)->isEnabled());
        QCOMPARE(button(dialog, LockFuseDialog::CloseWithoutSavingId)->text(),
                 QStringLiteral("Close without saving"));
        QCOMPARE(dialog.controlAs<QLabel>(LockFuseDialog::LegendId)->text(),
                 QStringLiteral("A button is pressed if the fuse bit is programmed"));
    }

    void at89s52HasNoFuseBitsAndFourLockLevels() {
        const Messages messages;
        FakeLockFuseOperations operations;
        LockFuseDialog dialog(device("AT89S52"), LockFuseSettings{}, operations, messages,
                              LockFuseDialog::Mode::Normal);
        for (int k = 0; k < 24; ++k) {
            QCOMPARE(fuseBox(dialog, k)->text(), QStringLiteral("Unused"));
            QVERIFY(!fuseBox(dialog, k)->isEnabled());
        }
        for (int k = 0; k < 4; ++k) {
            QCOMPARE(bootLockBox(dialog, k)->text(), QStringLiteral("Unused"));
            QVERIFY(!bootLockBox(dialog, k)->isEnabled());
        }
        const QString labels[] = {"No locking", "LB1", "LB1+LB2", "LB1+LB2+LB3"};
        for (int level = 0; level < 4; ++level) {
            QCOMPARE(lockRadio(dialog, level)->text(), labels[level]);
            QVERIFY(lockRadio(dialog, level)->isEnabled());
        }
        QVERIFY(lockRadio(dialog, 0)->isChecked());
    }

    void readAndVerifyFollowProgrammingOnAChipWithoutLockRead() {
        const Messages messages;
        FakeLockFuseOperations operations;
        LockFuseDialog dialog(device("AT90S2313"), LockFuseSettings{}, operations, messages,
                              LockFuseDialog::Mode::Normal);
        QVERIFY(!button(dialog, LockFuseDialog::ReadId)->isEnabled());
        QVERIFY(!button(dialog, LockFuseDialog::VerifyId)->isEnabled());

        // A failed program changes nothing.
        operations.programSucceeds = false;
        lockRadio(dialog, 2)->click();
        button(dialog, LockFuseDialog::ProgramId)->click();
        QVERIFY(!button(dialog, LockFuseDialog::ReadId)->isEnabled());
        QCOMPARE(dialog.shown().lockMode, 0);

        operations.programSucceeds = true;
        button(dialog, LockFuseDialog::ProgramId)->click();
        QCOMPARE(operations.programmed.lockMode, 2);
        QCOMPARE(dialog.shown().lockMode, 2);
        QCOMPARE(dialog.shown().readable, std::uint8_t{1});
        QVERIFY(button(dialog, LockFuseDialog::ReadId)->isEnabled());
        QVERIFY(button(dialog, LockFuseDialog::VerifyId)->isEnabled());
        QVERIFY(lockRadio(dialog, 2)->isChecked());
        QVERIFY(MessageBox::takeShownTexts().isEmpty()); // no fuse bits, no safety question
    }

    void programmingRstdisblOnAttiny12AsksFirst() {
        const Messages messages;
        FakeLockFuseOperations operations;
        const int tiny12 = device("ATtiny12");
        const int rstdisbl = test::fuseIndex(tiny12, "RSTDISBL");
        QVERIFY(rstdisbl >= 0);
        LockFuseDialog dialog(tiny12, LockFuseSettings{}, operations, messages, LockFuseDialog::Mode::Normal);
        dialog.show();
        fuseBox(dialog, rstdisbl)->click();
        QVERIFY(fuseBox(dialog, rstdisbl)->isChecked());

        MessageBox::setNextAnswer(QMessageBox::No);
        button(dialog, LockFuseDialog::ProgramId)->click();
        const QStringList asked = MessageBox::takeShownTexts();
        QCOMPARE(asked.size(), 1);
        QVERIFY(
            asked[0].contains(QStringLiteral("RSTDISBL programmed: the RESET pin becomes an ordinary pin")));
        QVERIFY(asked[0].endsWith(QStringLiteral("\nContinue?")));
        QVERIFY(operations.calls.empty());
        QVERIFY(dialog.isVisible());
        QVERIFY(fuseBox(dialog, rstdisbl)->isChecked());
        QCOMPARE(dialog.working().fuse[rstdisbl], std::uint8_t{0});

        MessageBox::setNextAnswer(QMessageBox::Yes);
        button(dialog, LockFuseDialog::ProgramId)->click();
        QCOMPARE(operations.calls, std::vector<std::string>{"program"});
        QCOMPARE(operations.programmed.fuse[rstdisbl], std::uint8_t{1});
    }

    void programmingRstdisblOnAtmega8WarnsAndPressedBoxesShowATick() {
        const Messages messages;
        FakeLockFuseOperations operations;
        const int mega8 = device("ATmega8");
        const int rstdisbl = test::fuseIndex(mega8, "RSTDISBL");
        LockFuseDialog dialog(mega8, test::withFuses(mega8, {"SPIEN"}), operations, messages,
                              LockFuseDialog::Mode::Normal);
        dialog.show();
        QPushButton* box = fuseBox(dialog, rstdisbl);
        // Released and pressed differ in shape, not only in colour: the icon's two states.
        const QIcon icon = box->icon();
        QVERIFY(!icon.isNull());
        const QImage released = icon.pixmap(16, QIcon::Normal, QIcon::Off).toImage();
        const QImage pressed = icon.pixmap(16, QIcon::Normal, QIcon::On).toImage();
        QVERIFY(released != pressed);

        box->click();
        MessageBox::setNextAnswer(QMessageBox::No);
        button(dialog, LockFuseDialog::ProgramId)->click();
        const QStringList asked = MessageBox::takeShownTexts();
        QCOMPARE(asked.size(), 1);
        QVERIFY(asked[0].contains(QStringLiteral("RSTDISBL programmed")));
        QVERIFY(operations.calls.empty());
    }

    void verifyComparesTheBoxesWithoutTheSafetyQuestion() {
        const Messages messages;
        FakeLockFuseOperations operations;
        const int tiny12 = device("ATtiny12");
        LockFuseSettings shown{};
        shown.readable = 1;
        LockFuseDialog dialog(tiny12, shown, operations, messages, LockFuseDialog::Mode::Normal);
        fuseBox(dialog, test::fuseIndex(tiny12, "RSTDISBL"))->click();
        button(dialog, LockFuseDialog::VerifyId)->click();
        QVERIFY(MessageBox::takeShownTexts().isEmpty());
        QCOMPARE(operations.calls, std::vector<std::string>{"verify"});
        QCOMPARE(operations.verified.fuse[test::fuseIndex(tiny12, "RSTDISBL")], std::uint8_t{1});
    }

    void readAndEraseRefillTheBoxesOnlyOnSuccess() {
        const Messages messages;
        FakeLockFuseOperations operations;
        const int mega8 = device("ATmega8");
        LockFuseSettings shown{};
        shown.readable = 1;
        LockFuseDialog dialog(mega8, shown, operations, messages, LockFuseDialog::Mode::Normal);
        const int spien = test::fuseIndex(mega8, "SPIEN");

        operations.chipContent = test::withFuses(mega8, {"SPIEN"});
        operations.chipContent.readable = 1;
        operations.chipContent.lockMode = 2;
        button(dialog, LockFuseDialog::ReadId)->click();
        QVERIFY(fuseBox(dialog, spien)->isChecked());
        QVERIFY(lockRadio(dialog, 2)->isChecked());

        // An erase that fails reads nothing; one that succeeds reads the erased chip.
        operations.calls.clear();
        operations.eraseSucceeds = false;
        button(dialog, LockFuseDialog::ChipEraseId)->click();
        QCOMPARE(operations.calls, std::vector<std::string>{"erase"});
        operations.eraseSucceeds = true;
        operations.chipContent.lockMode = 0;
        button(dialog, LockFuseDialog::ChipEraseId)->click();
        QCOMPARE(operations.calls, (std::vector<std::string>{"erase", "erase", "read"}));
        QVERIFY(lockRadio(dialog, 0)->isChecked());

        // A read that is abandoned leaves the boxes as they are.
        fuseBox(dialog, spien)->click();
        operations.readSucceeds = false;
        button(dialog, LockFuseDialog::ReadId)->click();
        QVERIFY(!fuseBox(dialog, spien)->isChecked());
    }

    void autoProgramModeSavesTheBoxes() {
        const Messages messages;
        FakeLockFuseOperations operations;
        const int mega8 = device("ATmega8");
        LockFuseDialog dialog(mega8, test::withFuses(mega8, {"SPIEN"}), operations, messages,
                              LockFuseDialog::Mode::AutoProgram);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Lock/Fuse Bits Settings for Auto-Program"));
        QVERIFY(!button(dialog, LockFuseDialog::ChipEraseId)->isEnabled());
        QVERIFY(button(dialog, LockFuseDialog::CloseAndSaveId)->isEnabled());

        const int eesave = test::fuseIndex(mega8, "EESAVE");
        fuseBox(dialog, eesave)->click();
        bootLockBox(dialog, 3)->click();
        lockRadio(dialog, 1)->click();
        dialog.show();
        button(dialog, LockFuseDialog::CloseAndSaveId)->click();
        QCOMPARE(dialog.result(), LockFuseDialog::CloseAndSave);
        QCOMPARE(dialog.working().fuse[eesave], std::uint8_t{1});
        QCOMPARE(dialog.working().fuse[test::fuseIndex(mega8, "SPIEN")], std::uint8_t{1});
        QCOMPARE(dialog.working().bootLock[3], std::uint8_t{1});
        QCOMPARE(dialog.working().lockMode, 1);
        QVERIFY(operations.calls.empty());
    }

    void enterTakesTheValuesWithTheSafetyQuestion() {
        const Messages messages;
        FakeLockFuseOperations operations;
        const int mega8 = device("ATmega8");
        // SPIEN unticked: serial programming would be switched off.
        LockFuseDialog dialog(mega8, LockFuseSettings{}, operations, messages,
                              LockFuseDialog::Mode::AutoProgram);
        dialog.show();
        MessageBox::setNextAnswer(QMessageBox::No);
        QTest::keyClick(&dialog, Qt::Key_Return);
        QVERIFY(dialog.isVisible());
        QVERIFY(MessageBox::takeShownTexts().value(0).contains(QStringLiteral("SPIEN unprogrammed")));

        // In auto-program mode an accepted Enter keeps the values like "Close and save settings".
        MessageBox::setNextAnswer(QMessageBox::Yes);
        QTest::keyClick(&dialog, Qt::Key_Return);
        QCOMPARE(dialog.result(), LockFuseDialog::CloseAndSave);
    }

    void russianTextsAndTitle() {
        const Messages messages(Language::Russian);
        FakeLockFuseOperations operations;
        LockFuseDialog dialog(device("ATmega8"), LockFuseSettings{}, operations, messages,
                              LockFuseDialog::Mode::Normal);
        QCOMPARE(dialog.windowTitle(), QString::fromUtf8(message(msg::LockFuseBits, Language::Russian)));
        QCOMPARE(fuseBox(dialog, 20)->text(), QString::fromUtf8(message(msg::Unused, Language::Russian)));
        QVERIFY(button(dialog, LockFuseDialog::ProgramId)->text() != QStringLiteral("Program"));
    }
};

QTEST_MAIN(LockFuseDialogTest)
#include "lock_fuse_dialog_test.moc"
