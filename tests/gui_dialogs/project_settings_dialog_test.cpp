#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include "app/dialogs/lock_fuse_dialog.h"
#include "app/dialogs/message_box.h"
#include "app/dialogs/project_settings_dialog.h"
#include "app/dialogs/reset_strobe_positions.h"
#include "devices/device_table.h"
#include "dialog_test_support.h"

using namespace tovel;
using tovel::test::FakeLockFuseOperations;

static_assert(normalizedResetStrobe(400) == 500);
static_assert(normalizedResetStrobe(0) == 20 && normalizedResetStrobe(-7) == 20);
static_assert(normalizedResetStrobe(5000) == 1000);
static_assert(normalizedResetStrobe(150) == 150 && normalizedResetStrobe(151) == 300);
static_assert(resetStrobeLength(-1) == 20 && resetStrobeLength(7) == 1000);

namespace {

using Dialog = ProjectSettingsDialog;

QCheckBox* box(const Dialog& dialog, unsigned id) { return dialog.controlAs<QCheckBox>(id); }
QLineEdit* field(const Dialog& dialog, unsigned id) { return dialog.controlAs<QLineEdit>(id); }
QComboBox* list(const Dialog& dialog, unsigned id) { return dialog.controlAs<QComboBox>(id); }
void pressOk(const Dialog& dialog) { dialog.controlAs<QPushButton>(Dialog::OkId)->click(); }

ProjectSettings projectFor(const char* deviceName) {
    ProjectSettings project;
    project.deviceIndex = DeviceTable::findByName(deviceName);
    return project;
}

} // namespace

class ProjectSettingsDialogTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { MessageBox::takeShownTexts(); }

    void strobeLengthMovesOntoTheSliderAndStaysAfterCancel() {
        const Messages messages;
        FakeLockFuseOperations operations;
        ProjectSettings project;
        project.resetStrobeMs = 400;
        {
            Dialog dialog(project, operations, messages);
            auto* slider = dialog.controlAs<QSlider>(Dialog::StrobeSliderId);
            QCOMPARE(slider->value(), 5);
            QCOMPARE(slider->maximum(), 6);
            QCOMPARE(slider->pageStep(), 3);
            QCOMPARE(dialog.controlAs<QLabel>(Dialog::StrobeLabelId)->text(), QStringLiteral("500 ms"));
            slider->setValue(1);
            QCOMPARE(dialog.controlAs<QLabel>(Dialog::StrobeLabelId)->text(), QStringLiteral("50 ms"));
            dialog.reject();
        }
        QCOMPARE(project.resetStrobeMs, 500);

        project.resetStrobeMs = 5000;
        Dialog dialog(project, operations, messages);
        QCOMPARE(dialog.controlAs<QLabel>(Dialog::StrobeLabelId)->text(), QStringLiteral("1000 ms"));
        dialog.controlAs<QSlider>(Dialog::StrobeSliderId)->setValue(0);
        pressOk(dialog);
        QCOMPARE(dialog.settings().resetStrobeMs, 20);
    }

    void listsShowEveryDeviceAndSckPeriod() {
        const Messages messages;
        FakeLockFuseOperations operations;
        ProjectSettings project = projectFor("AT89S52");
        project.sckPeriodIndex = 7;
        Dialog dialog(project, operations, messages);
        QComboBox* devices = list(dialog, Dialog::DeviceListId);
        QCOMPARE(devices->count(), 43);
        for (int row = 0; row < 43; ++row)
            QCOMPARE(devices->itemText(row), QString::fromUtf8(DeviceTable::device(row).name));
        QCOMPARE(devices->currentIndex(), project.deviceIndex);
        QComboBox* sck = list(dialog, Dialog::SckListId);
        QCOMPARE(sck->count(), 8);
        QCOMPARE(sck->itemText(0), QStringLiteral("0.25 uS (4 MHz)"));
        QCOMPARE(sck->currentText(), QStringLiteral("150 uS (7 kHz)"));

        devices->setCurrentIndex(DeviceTable::findByName("ATmega16"));
        sck->setCurrentIndex(2);
        pressOk(dialog);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.settings().deviceIndex, DeviceTable::findByName("ATmega16"));
        QCOMPARE(dialog.settings().sckPeriodIndex, 2);
        QCOMPARE(project.deviceIndex, DeviceTable::findByName("AT89S52")); // the main window applies it
    }

    void delayFieldsAreValidatedWhenTheirOverrideIsOn() {
        const Messages messages;
        FakeLockFuseOperations operations;
        ProjectSettings project;
        project.flashPageDelayOverride = true;
        Dialog dialog(project, operations, messages);
        dialog.show();
        QLineEdit* flashPage = field(dialog, Dialog::FlashPageDelayId);
        QVERIFY(flashPage->isEnabled());
        QVERIFY(!field(dialog, Dialog::FlashByteDelayId)->isEnabled());

        MessageBox::setNextAnswer(QMessageBox::Ok);
        flashPage->setText(QStringLiteral("2"));
        pressOk(dialog);
        QVERIFY(dialog.isVisible());
        QCOMPARE(MessageBox::takeShownTexts(),
                 QStringList{QStringLiteral("Please enter an integer between 3 and 50.")});
        QCOMPARE(flashPage->selectedText(), QStringLiteral("2"));

        MessageBox::setNextAnswer(QMessageBox::Ok);
        flashPage->setText(QStringLiteral("4x"));
        pressOk(dialog);
        QVERIFY(dialog.isVisible());
        QCOMPARE(MessageBox::takeShownTexts().size(), 1);

        box(dialog, Dialog::FlashByteOverrideId)->click();
        QVERIFY(field(dialog, Dialog::FlashByteDelayId)->isEnabled());
        field(dialog, Dialog::FlashByteDelayId)->setText(QStringLiteral("37"));
        flashPage->setText(QStringLiteral("3"));
        MessageBox::setNextAnswer(QMessageBox::Ok);
        pressOk(dialog);
        QVERIFY(dialog.isVisible());
        QCOMPARE(MessageBox::takeShownTexts(),
                 QStringList{QStringLiteral("Please enter an integer between 0 and 36.")});

        field(dialog, Dialog::FlashByteDelayId)->setText(QStringLiteral("36"));
        flashPage->setText(QStringLiteral("50"));
        pressOk(dialog);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.settings().flashPageDelayMs, 50);
        QCOMPARE(dialog.settings().flashByteDelayMs, 36u);
        QVERIFY(dialog.settings().flashByteDelayOverride);
    }

    void aFieldWhoseOverrideIsOffKeepsItsStoredValue() {
        const Messages messages;
        FakeLockFuseOperations operations;
        ProjectSettings project;
        project.eepromPageDelayMs = 0; // outside 3..50, as a hand-edited project file may have it
        project.eepromPageDelayOverride = false;
        Dialog dialog(project, operations, messages);
        QCOMPARE(field(dialog, Dialog::EepromPageDelayId)->text(), QStringLiteral("0"));
        pressOk(dialog);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.settings().eepromPageDelayMs, 0);
        QVERIFY(MessageBox::takeShownTexts().isEmpty());

        // Switched on, the same value is refused.
        Dialog again(project, operations, messages);
        again.show();
        box(again, Dialog::EepromPageOverrideId)->click();
        MessageBox::setNextAnswer(QMessageBox::Ok);
        pressOk(again);
        QVERIFY(again.isVisible());
    }

    void counterAddressesAreHexadecimal() {
        const Messages messages;
        FakeLockFuseOperations operations;
        ProjectSettings project;
        project.autoIncAddressFlash = 0xABC;
        project.autoIncAddressEeprom = 0x12;
        project.autoIncrementEeprom = true;
        Dialog dialog(project, operations, messages);
        QCOMPARE(field(dialog, Dialog::FlashCounterAddressId)->text(), QStringLiteral("ABC"));
        QCOMPARE(field(dialog, Dialog::FlashCounterAddressId)->maxLength(), 8);
        QVERIFY(!field(dialog, Dialog::FlashCounterAddressId)->isEnabled());
        QVERIFY(field(dialog, Dialog::EepromCounterAddressId)->isEnabled());

        field(dialog, Dialog::EepromCounterAddressId)->setText(QStringLiteral("1F0"));
        field(dialog, Dialog::FlashCounterAddressId)->setText(QStringLiteral("xyz"));
        pressOk(dialog);
        QCOMPARE(dialog.settings().autoIncAddressEeprom, 0x1F0u);
        QCOMPARE(dialog.settings().autoIncAddressFlash, 0xABCu);
        QVERIFY(dialog.settings().autoIncrementEeprom);
    }

    void checkBoxesReachTheirFieldsOnOk() {
        const Messages messages;
        FakeLockFuseOperations operations;
        ProjectSettings project;
        project.polling = true;
        project.autoFlashVerify = true;
        Dialog dialog(project, operations, messages);
        QVERIFY(box(dialog, Dialog::PollingId)->isChecked());
        QVERIFY(box(dialog, Dialog::AutoFlashVerifyId)->isChecked());
        box(dialog, Dialog::PollingId)->click();
        box(dialog, Dialog::AutoEraseId)->click();
        box(dialog, Dialog::AutoEepromProgramId)->click();
        box(dialog, Dialog::NoSynchronizationId)->click();
        pressOk(dialog);
        const ProjectSettings& result = dialog.settings();
        QVERIFY(!result.polling);
        QVERIFY(result.autoErase && result.autoEepromProgram && result.noSynchronization &&
                result.autoFlashVerify);
        QVERIFY(!result.autoFlashProgram && !result.checkSignature);
        QVERIFY(project.polling); // nothing reaches the project before the main window applies it
    }

    void autoprogramOpensTheLockFuseDialogWithRequiredStates() {
        const Messages messages;
        FakeLockFuseOperations operations;
        ProjectSettings project = projectFor("ATmega8");
        Dialog dialog(project, operations, messages);
        dialog.show();
        QVERIFY(!dialog.control(Dialog::ConfigureId)->isEnabled());

        const int spien = test::fuseIndex(project.deviceIndex, "SPIEN");
        const int eesave = test::fuseIndex(project.deviceIndex, "EESAVE");
        bool spienTicked = false;
        QString title;
        test::whenModalDialogOpens([&](QDialog* opened) {
            auto* lockFuse = qobject_cast<LockFuseDialog*>(opened);
            QVERIFY(lockFuse != nullptr);
            title = lockFuse->windowTitle();
            spienTicked = lockFuse->controlAs<QPushButton>(LockFuseDialog::kFuseBoxIds[spien])->isChecked();
            lockFuse->controlAs<QPushButton>(LockFuseDialog::kFuseBoxIds[eesave])->click();
            lockFuse->controlAs<QPushButton>(LockFuseDialog::CloseAndSaveId)->click();
        });
        box(dialog, Dialog::ProgramFusesId)->click();
        QVERIFY(spienTicked);
        QCOMPARE(title, QStringLiteral("Lock/Fuse Bits Settings for Auto-Program"));
        QVERIFY(box(dialog, Dialog::ProgramFusesId)->isChecked());
        QVERIFY(dialog.control(Dialog::ConfigureId)->isEnabled());
        QCOMPARE(project.lockFuseSelection.readable, std::uint8_t{1}); // the flag reaches the project at once

        pressOk(dialog);
        QVERIFY(dialog.settings().programFuses);
        QCOMPARE(dialog.settings().lockFuseSelection.fuse[spien], std::uint8_t{1});
        QCOMPARE(dialog.settings().lockFuseSelection.fuse[eesave], std::uint8_t{1});
    }

    void closingTheLockFuseDialogWithoutSavingUndoesTheClick() {
        const Messages messages;
        FakeLockFuseOperations operations;
        ProjectSettings project = projectFor("ATmega8");
        Dialog dialog(project, operations, messages);
        dialog.show();
        test::whenModalDialogOpens([](QDialog* opened) { opened->reject(); });
        box(dialog, Dialog::ProgramFusesId)->click();
        QVERIFY(!box(dialog, Dialog::ProgramFusesId)->isChecked());
        QVERIFY(!dialog.control(Dialog::ConfigureId)->isEnabled());
    }

    void anotherDeviceInTheListMustBeAppliedFirst() {
        const Messages messages;
        FakeLockFuseOperations operations;
        ProjectSettings project = projectFor("ATmega8");
        Dialog dialog(project, operations, messages);
        dialog.show();
        list(dialog, Dialog::DeviceListId)->setCurrentIndex(DeviceTable::findByName("ATtiny12"));
        MessageBox::setNextAnswer(QMessageBox::Ok);
        box(dialog, Dialog::ProgramFusesId)->click();
        QCOMPARE(MessageBox::takeShownTexts(),
                 QStringList{QString::fromUtf8(message(msg::SelectProperChipFirst, Language::English))});
        QVERIFY(!box(dialog, Dialog::ProgramFusesId)->isChecked());
        QVERIFY(QApplication::activeModalWidget() == nullptr);
    }

    void uncheckingAutoprogramClearsTheStoredChoices() {
        const Messages messages;
        FakeLockFuseOperations operations;
        ProjectSettings project = projectFor("ATmega8");
        project.programFuses = true;
        project.lockFuseSelection = test::withFuses(project.deviceIndex, {"SPIEN", "CKOPT"});
        project.lockFuseSelection.lockMode = 2;
        project.lockFuseSelection.bootLock[1] = 1;
        Dialog dialog(project, operations, messages);
        QVERIFY(box(dialog, Dialog::ProgramFusesId)->isChecked());
        QVERIFY(dialog.control(Dialog::ConfigureId)->isEnabled());
        box(dialog, Dialog::ProgramFusesId)->click();
        pressOk(dialog);
        QVERIFY(!dialog.settings().programFuses);
        QCOMPARE(dialog.settings().lockFuseSelection, LockFuseSettings{});

        // Left checked, the stored choices stay.
        Dialog kept(project, operations, messages);
        pressOk(kept);
        QCOMPARE(kept.settings().lockFuseSelection, project.lockFuseSelection);
    }

    void russianTexts() {
        const Messages messages(Language::Russian);
        FakeLockFuseOperations operations;
        ProjectSettings project;
        Dialog dialog(project, operations, messages);
        QCOMPARE(dialog.windowTitle(), QString::fromUtf8("Настройки проекта"));
        QCOMPARE(box(dialog, Dialog::IncrementFlashId)->text(), QStringLiteral("Flash (HEX)"));
    }
};

QTEST_MAIN(ProjectSettingsDialogTest)
#include "project_settings_dialog_test.moc"
