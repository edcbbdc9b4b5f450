// The dialogs run over a real Workbench (with a recording interface and a fake serial line), as
// the main window's commands run them.
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include "app/dialogs/advanced_board_settings_dialog.h"
#include "app/dialogs/board_settings_dialog.h"
#include "app/dialogs/lock_fuse_dialog.h"
#include "app/dialogs/message_box.h"
#include "app/dialogs/project_settings_dialog.h"
#include "app/dialogs/self_program_dialog.h"
#include "app/dialogs/workbench_dialogs.h"
#include "board/board_protocol.h"
#include "devices/device_table.h"
#include "dialog_test_support.h"
#include "project/project.h"
#include "project/settings_file.h"
#include "support/fake_board_link.h"
#include "support/recording_ui.h"
#include "workbench/workbench.h"

using namespace tovel;

namespace {

struct Bench {
    QTemporaryDir folder;
    test::WireLog wire;
    test::TestClock clock = test::wireClock(wire);
    test::FakeSerialChannel channel{wire, clock};
    test::RecordingUi ui;
    std::unique_ptr<Workbench> workbench;

    Bench() {
        workbench = std::make_unique<Workbench>(ui, clock, channel, settingsPath());
        workbench->readSettings();
    }
    std::string settingsPath() const { return folder.filePath(QStringLiteral("tovelisp.ini")).toStdString(); }
    bool wireOpened() const {
        for (const std::string& entry : wire.entries())
            if (entry.rfind("open", 0) == 0) return true;
        return false;
    }
};

template <typename T> T* control(QDialog* dialog, unsigned id) {
    return static_cast<TranslatedDialog*>(dialog)->controlAs<T>(id);
}

} // namespace

class WorkbenchDialogsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { MessageBox::takeShownTexts(); }

    void projectSettingsOkSelectsTheChosenDevice() {
        Bench bench;
        const int tiny2313 = DeviceTable::findByName("ATtiny2313");
        QVERIFY(bench.workbench->deviceNo() != tiny2313);
        QVERIFY(!bench.workbench->project().modified());
        test::whenModalDialogOpens([&](QDialog* dialog) {
            control<QComboBox>(dialog, ProjectSettingsDialog::DeviceListId)->setCurrentIndex(tiny2313);
            control<QPushButton>(dialog, ProjectSettingsDialog::OkId)->click();
        });
        QVERIFY(runProjectSettings(nullptr, *bench.workbench));
        QCOMPARE(bench.workbench->deviceNo(), tiny2313);
        QCOMPARE(bench.workbench->project().deviceIndex, tiny2313);
        QVERIFY(bench.workbench->project().modified());

        test::whenModalDialogOpens([](QDialog* dialog) { dialog->reject(); });
        QVERIFY(!runProjectSettings(nullptr, *bench.workbench));
    }

    void boardSettingsStartFromTheFileAndStoreOnOk() {
        Bench bench;
        const SettingsFile file(bench.settingsPath());
        QVERIFY(file.writePortAndSpeed(3, 1));
        bool comThreeChecked = false;
        test::whenModalDialogOpens([&](QDialog* dialog) {
            comThreeChecked =
                control<QRadioButton>(dialog, BoardSettingsDialog::kPortRadioIds[2])->isChecked();
            control<QRadioButton>(dialog, BoardSettingsDialog::kPortRadioIds[4])->click();
            control<QPushButton>(dialog, BoardSettingsDialog::OkId)->click();
        });
        QVERIFY(runBoardSettings(nullptr, *bench.workbench));
        QVERIFY(comThreeChecked);
        QCOMPARE(bench.workbench->comPort(), 5);
        QCOMPARE(bench.workbench->baudIndex(), 1);
        QCOMPARE(file.readComPort(), 5);
    }

    void advancedBoardSettingsRefuseThenStore() {
        Bench bench;
        test::whenModalDialogOpens([&](QDialog* dialog) {
            auto* pageWrite = control<QLineEdit>(dialog, AdvancedBoardSettingsDialog::PageWriteDelayId);
            pageWrite->setText(QStringLiteral("1001"));
            MessageBox::setNextAnswer(QMessageBox::Ok);
            control<QPushButton>(dialog, AdvancedBoardSettingsDialog::OkId)->click();
            QVERIFY(dialog->isVisible());
            pageWrite->setText(QStringLiteral("120"));
            control<QPushButton>(dialog, AdvancedBoardSettingsDialog::OkId)->click();
        });
        QVERIFY(runAdvancedBoardSettings(nullptr, *bench.workbench));
        QCOMPARE(bench.workbench->boardDelays().pageWriteDelayMs, 120);
        QCOMPARE(SettingsFile(bench.settingsPath()).readBoardDelays().pageWriteDelayMs, 120);
    }

    void aFailedChipEraseReadsNothing() {
        Bench bench; // no port chosen: the erase stops with "No board specified"
        LockFuseSettings read{};
        read.readable = 1;
        test::whenModalDialogOpens([](QDialog* dialog) {
            control<QPushButton>(dialog, LockFuseDialog::ChipEraseId)->click();
            dialog->reject();
        });
        runLockFuseBits(nullptr, *bench.workbench, DeviceTable::findByName("ATmega8"), read);
        const std::string noBoard = message(msg::NoBoardSpecified, Language::English);
        QCOMPARE(bench.ui.boxes(), std::vector<std::string>{noBoard});
    }

    void cancellingTheSelfProgramSettingsOpensNoPort() {
        Bench bench;
        QFile image(bench.folder.filePath(QStringLiteral("firmware.bin")));
        QVERIFY(image.open(QIODevice::WriteOnly));
        image.write(QByteArray(static_cast<qsizetype>(protocol::FirmwareImageSize), '\x5A'));
        image.close();

        QString newVersion;
        test::whenModalDialogOpens([&](QDialog* dialog) {
            newVersion = control<QLineEdit>(dialog, SelfProgramDialog::NewVersionId)->text();
            dialog->reject();
        });
        QVERIFY(!runFirmwareUpdate(nullptr, *bench.workbench, image.fileName().toStdString()));
        QCOMPARE(newVersion, QStringLiteral("10.01"));
        QVERIFY(!bench.wireOpened());
    }
};

QTEST_MAIN(WorkbenchDialogsTest)
#include "workbench_dialogs_test.moc"
