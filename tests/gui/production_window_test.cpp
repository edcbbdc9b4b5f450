// The production window against four simulated boards: Start programs a chip on every board at
// once with its own serial number, the tiles show PASS by text and colour, the counts come back
// after the window is opened again, and the operator lock keeps the line running without its
// password.
#include <QLabel>
#include <QPushButton>
#include <QSet>
#include <QTest>
#include <memory>

#include "app/production_tile.h"
#include "app/production_window.h"
#include "board/posix_serial_channel.h"
#include "devices/device_table.h"
#include "image/memory_buffer.h"
#include "production/sqlite_serial_allocator.h"
#include "project/project.h"
#include "support/gui_test_support.h"
#include "workbench/workbench.h"

using namespace tovel;
using namespace tovel::app;

namespace {

constexpr int kLineTimeoutMs = 60000;

struct Job {
    QTemporaryDir folder;
    QtUserInterface ui;
    guitest::BoxRecorder boxes;
    std::unique_ptr<Workbench> workbench;

    explicit Job(Language language = Language::English) {
        boxes.install(ui);
        workbench = guitest::makeWorkbench(ui, folder);
        workbench->setLanguage(language);
        // An 8-byte EEPROM image whose first four bytes are the serial number, starting at 500.
        guitest::writeFile(folder, QStringLiteral("counter.bin"), QByteArray::fromHex("000001F4C0DE1234"));
        const QString project = guitest::writeFile(
            folder, QStringLiteral("job.tvl"),
            QStringLiteral(
                "[Files]\nFlash=[Unspecified]\nEeprom=counter.bin\n[Settings]\nResetStrobeLength=2\n"
                "[AutoProgram]\nAutoEepromProgram=1\nAutoEepromVerify=1\nAutoIncrement=1\n"
                "AutoIncAddress=3\n[Device]\nDeviceNo=%1\n")
                .arg(DeviceTable::findByName("ATmega8"))
                .toUtf8());
        workbench->openProjectFile(project.toStdString());
    }
};

bool everyTileShows(const ProductionWindow& window, const QString& verdict) {
    if (window.tiles().empty()) return false;
    for (const ProductionTile* tile : window.tiles())
        if (tile->verdictText() != verdict) return false;
    return true;
}

} // namespace

class ProductionWindowTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void fourBoardsPassWithTheirOwnNumbersAndTheCountsSurvive() {
        Job job;
        {
            ProductionWindow window(*job.workbench);
            QCOMPARE(window.countsText(), QStringLiteral("Passed: 0 Failed: 0 Total: 0"));
            window.setSimulatedBoards(4);
            window.start();
            QVERIFY(window.running());
            QCOMPARE(window.tiles().size(), std::size_t{4});
            QTRY_VERIFY_WITH_TIMEOUT(everyTileShows(window, QStringLiteral("PASS")), kLineTimeoutMs);
            QSet<QString> serials;
            for (const ProductionTile* tile : window.tiles()) serials.insert(tile->serialText());
            QCOMPARE(
                serials,
                (QSet<QString>{QStringLiteral("Serial number: 500"), QStringLiteral("Serial number: 501"),
                               QStringLiteral("Serial number: 502"), QStringLiteral("Serial number: 503")}));
            QTRY_COMPARE_WITH_TIMEOUT(window.countsText(), QStringLiteral("Passed: 4 Failed: 0 Total: 4"),
                                      5000);
            QVERIFY(window.stop());
            QTRY_VERIFY_WITH_TIMEOUT(!window.running(), kLineTimeoutMs);
            QCOMPARE(window.tiles().front()->stateText(), QStringLiteral("Stopped"));
        }
        // The job on screen now starts after the numbers spent; the counts come from the store.
        const std::vector<std::uint8_t> eeprom(job.workbench->eeprom().data().begin(),
                                               job.workbench->eeprom().data().begin() + 4);
        QCOMPARE(eeprom, (std::vector<std::uint8_t>{0x00, 0x00, 0x01, 0xF8}));
        ProductionWindow reopened(*job.workbench);
        QCOMPARE(reopened.countsText(), QStringLiteral("Passed: 4 Failed: 0 Total: 4"));
    }

    void theOperatorLockKeepsTheLineRunningWithoutItsPassword() {
        Job job(Language::Russian);
        ProductionWindow window(*job.workbench);
        QCOMPARE(window.windowTitle(), QStringLiteral("Производство"));
        window.setSimulatedBoards(1);
        window.setPassword(QStringLiteral("secret"));
        window.start();
        QString answer = QStringLiteral("guess");
        window.setPasswordAnswer([&answer] { return answer; });
        QVERIFY(!window.stop());
        QVERIFY(window.running());
        QCOMPARE(window.messageText(), QStringLiteral("Неверный пароль."));
        window.reject(); // Close and Escape do nothing while the line runs
        QVERIFY(window.running());
        QTRY_VERIFY_WITH_TIMEOUT(everyTileShows(window, QStringLiteral("ГОДНО")), kLineTimeoutMs);
        answer = QStringLiteral("secret");
        QVERIFY(window.stop());
        QTRY_VERIFY_WITH_TIMEOUT(!window.running(), kLineTimeoutMs);
    }

    void noBoardsNoStart() {
        Job job;
        ProductionWindow window(*job.workbench);
        window.setPorts(QStringLiteral(" , "));
        window.start();
        QVERIFY(!window.running());
        QCOMPARE(window.messageText(), QStringLiteral("Name at least one port or simulated board."));
    }
};

QTEST_MAIN(ProductionWindowTest)
#include "production_window_test.moc"
