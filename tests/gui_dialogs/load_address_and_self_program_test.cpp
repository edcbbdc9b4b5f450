#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "app/dialogs/load_address_dialog.h"
#include "app/dialogs/self_program_dialog.h"

using namespace tovel;

class LoadAddressAndSelfProgramTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void loadAddressOpensWithThePresetInHexadecimal() {
        const Messages messages;
        LoadAddressDialog dialog(0x1F, messages);
        auto* field = dialog.controlAs<QLineEdit>(LoadAddressDialog::AddressFieldId);
        QCOMPARE(field->text(), QStringLiteral("001F"));
        QCOMPARE(field->maxLength(), 6);
        QVERIFY(dialog.controlAs<QRadioButton>(LoadAddressDialog::HexadecimalId)->isChecked());
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Load Address"));
        QCOMPARE(dialog.address(), std::int64_t{0x1F});
    }

    void loadAddressReadsTheChosenRadixInUpperCase() {
        const Messages messages;
        LoadAddressDialog dialog(0, messages);
        dialog.show();
        auto* field = dialog.controlAs<QLineEdit>(LoadAddressDialog::AddressFieldId);
        field->clear();
        QTest::keyClicks(field, QStringLiteral("1a2b3c4"));
        QCOMPARE(field->text(), QStringLiteral("1A2B3C")); // six characters, upper case
        QCOMPARE(dialog.address(), std::int64_t{0x1A2B3C});

        dialog.controlAs<QRadioButton>(LoadAddressDialog::DecimalId)->click();
        field->setText(QStringLiteral("-5"));
        QCOMPARE(dialog.address(), std::int64_t{-5}); // the merge refuses it, not the dialog
        field->setText(QStringLiteral("4096"));
        QCOMPARE(dialog.address(), std::int64_t{4096});
        field->setText(QStringLiteral("ZZ"));
        QCOMPARE(dialog.address(), std::int64_t{0});
    }

    void selfProgramShowsBothVersionsAndTheSpeed() {
        const Messages messages;
        SelfProgramDialog dialog("M.01", "10.01", messages);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Self-Program Settings"));
        QCOMPARE(dialog.controlAs<QLineEdit>(SelfProgramDialog::CurrentVersionId)->text(),
                 QStringLiteral("M.01"));
        QCOMPARE(dialog.controlAs<QLineEdit>(SelfProgramDialog::NewVersionId)->text(),
                 QStringLiteral("10.01"));
        QVERIFY(dialog.controlAs<QLineEdit>(SelfProgramDialog::NewVersionId)->isReadOnly());
        QCOMPARE(dialog.controlAs<QPushButton>(SelfProgramDialog::UpdateId)->text(),
                 QStringLiteral("Update"));
        QCOMPARE(dialog.speed(), UploadSpeed::Normal);
        dialog.controlAs<QRadioButton>(SelfProgramDialog::ReducedSpeedId)->click();
        QCOMPARE(dialog.speed(), UploadSpeed::Reduced);
    }

    void selfProgramWithoutACurrentVersion() {
        const Messages messages(Language::Russian);
        SelfProgramDialog dialog("", "10.01", messages);
        QCOMPARE(dialog.windowTitle(), QString::fromUtf8("Настройки обновления версии"));
        // The record puts "-" in both fields; the versions replace it.
        QCOMPARE(dialog.controlAs<QLineEdit>(SelfProgramDialog::CurrentVersionId)->text(), QString());
    }
};

QTEST_MAIN(LoadAddressAndSelfProgramTest)
#include "load_address_and_self_program_test.moc"
