#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "app/dialogs/advanced_board_settings_dialog.h"
#include "app/dialogs/board_settings_dialog.h"
#include "app/dialogs/message_box.h"

using namespace tovel;

namespace {

QRadioButton* portRadio(const BoardSettingsDialog& dialog, int port) {
    return dialog.controlAs<QRadioButton>(BoardSettingsDialog::kPortRadioIds[port - 1]);
}
QRadioButton* radio(const TranslatedDialog& dialog, unsigned id) {
    return dialog.controlAs<QRadioButton>(id);
}
void pressOk(const TranslatedDialog& dialog) { dialog.controlAs<QPushButton>(1)->click(); }

} // namespace

class BoardSettingsDialogsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { MessageBox::takeShownTexts(); }

    void portsShowTheirDevicePaths() {
        const Messages messages;
        PortMap ports;
        ports.setOverride(2, "/dev/ttyAMA0");
        BoardSettingsDialog dialog(3, 1, ports, messages);
        QCOMPARE(portRadio(dialog, 1)->text(), QStringLiteral("COM1  (/dev/ttyS0)"));
        QCOMPARE(portRadio(dialog, 2)->text(), QStringLiteral("COM2  (/dev/ttyAMA0)"));
        QCOMPARE(portRadio(dialog, 5)->text(), QStringLiteral("COM5  (/dev/ttyUSB0)"));
        QVERIFY(portRadio(dialog, 3)->isChecked());
        QVERIFY(radio(dialog, BoardSettingsDialog::Speed115200Id)->isChecked());
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Board Settings"));
        QCOMPARE(radio(dialog, BoardSettingsDialog::Speed921600Id)->text(),
                 QStringLiteral("High speed (921600 baud, Tovel-U only)"));

        portRadio(dialog, 8)->click();
        radio(dialog, BoardSettingsDialog::Speed921600Id)->click();
        pressOk(dialog);
        QCOMPARE(dialog.comPort(), 8);
        QCOMPARE(dialog.baudIndex(), 2);
    }

    void storedValuesTheButtonsCannotShow() {
        const Messages messages;
        const PortMap ports;
        // Port 0 (no board chosen yet) checks COM1; a speed index of 7 checks nothing and OK stores 0.
        BoardSettingsDialog unset(0, 7, ports, messages);
        QVERIFY(portRadio(unset, 1)->isChecked());
        for (unsigned id : {BoardSettingsDialog::Speed19200Id, BoardSettingsDialog::Speed115200Id,
                            BoardSettingsDialog::Speed921600Id})
            QVERIFY(!radio(unset, id)->isChecked());
        pressOk(unset);
        QCOMPARE(unset.comPort(), 1);
        QCOMPARE(unset.baudIndex(), 0);

        // A port outside 1..8 checks nothing and is kept when nothing is chosen.
        BoardSettingsDialog outside(12, 0, ports, messages);
        for (int port = 1; port <= 8; ++port) QVERIFY(!portRadio(outside, port)->isChecked());
        pressOk(outside);
        QCOMPARE(outside.comPort(), 12);
    }

    void russianBoardSettings() {
        const Messages messages(Language::Russian);
        const PortMap ports;
        BoardSettingsDialog dialog(1, 0, ports, messages);
        QCOMPARE(dialog.windowTitle(), QString::fromUtf8("Настройки платы"));
        QCOMPARE(portRadio(dialog, 1)->text(), QStringLiteral("COM1  (/dev/ttyS0)"));
    }

    void advancedDelaysAreLimitedTo1000() {
        AdvancedBoardSettingsDialog dialog(BoardDelays{1, 2, 3, 4});
        dialog.show();
        auto* pageWrite = dialog.controlAs<QLineEdit>(AdvancedBoardSettingsDialog::PageWriteDelayId);
        QCOMPARE(pageWrite->text(), QStringLiteral("3"));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Advanced Board Settings"));

        for (const char* refused : {"1001", "-1", "", "12ms"}) {
            pageWrite->setText(QString::fromUtf8(refused));
            MessageBox::setNextAnswer(QMessageBox::Ok);
            pressOk(dialog);
            QVERIFY2(dialog.isVisible(), refused);
            QCOMPARE(MessageBox::takeShownTexts(),
                     QStringList{QStringLiteral("Please enter an integer between 0 and 1000.")});
        }
        QCOMPARE(dialog.delays(), (BoardDelays{1, 2, 3, 4}));

        pageWrite->setText(QStringLiteral(" 1000 "));
        dialog.controlAs<QLineEdit>(AdvancedBoardSettingsDialog::PostSendDelayId)
            ->setText(QStringLiteral("0"));
        pressOk(dialog);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.delays(), (BoardDelays{1, 2, 1000, 0}));
    }
};

QTEST_MAIN(BoardSettingsDialogsTest)
#include "board_settings_dialogs_test.moc"
