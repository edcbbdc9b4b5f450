// The memory preview as a person uses it: clicking a cell and typing, with and without swapped
// pairs, scrolling to the very end of a DataFlash-sized image, and how long a frame takes.
#include <QElapsedTimer>
#include <QImage>
#include <QTest>
#include <algorithm>
#include <ctime>
#include <vector>

#include "app/memory_preview.h"
#include "app/qt_user_interface.h"
#include "image/memory_buffer.h"
#include "support/gui_test_support.h"

using namespace tovel;
using namespace tovel::app;

namespace {

// CPU time of this thread: what a frame costs, without the time other processes take the CPU.
qint64 threadCpuNs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<qint64>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

} // namespace

class MemoryPreviewTest : public QObject {
    Q_OBJECT

private:
    QtUserInterface ui_;
    Messages messages_;
    QTemporaryDir folder_;

    // A buffer loaded from a file of `size` bytes 0x00, 0x01, ...: not modified, attributes 0.
    std::unique_ptr<MemoryBuffer> loadedBuffer(int size, bool eeprom = true) {
        QByteArray bytes;
        for (int i = 0; i < size; ++i) bytes.append(static_cast<char>(i & 0xFF));
        auto buffer = std::make_unique<MemoryBuffer>(ui_, messages_, eeprom);
        buffer->load(
            guitest::writeFile(folder_, QStringLiteral("image%1.bin").arg(size), bytes).toStdString());
        return buffer;
    }

    // The centre of the hex cell (or character cell) of byte cell `cell` as it is on screen now.
    static QPoint cellCentre(const MemoryPreview& preview, std::size_t cell, CellKind kind) {
        const PreviewGeometry& g = preview.cellGeometry();
        const int row = static_cast<int>(cell / kBytesPerRow - preview.firstRow());
        const int column = static_cast<int>(cell % kBytesPerRow);
        const int x = kind == CellKind::Hex ? g.hexCellX(column) + g.columnWidth
                                            : g.characterCellX(column) + g.columnWidth / 2;
        return {x + 3, g.rowY(row) + g.rowHeight / 2 + 3}; // the frame margin is 3 pixels
    }

    static void typeText(MemoryPreview& preview, const QString& text) {
        for (const QChar c : text) QTest::keyClick(&preview, c.toLatin1());
    }

private Q_SLOTS:
    void swappedPairsEditTheOtherByteOfThePair() {
        auto buffer = loadedBuffer(32, false);
        MemoryPreview preview;
        preview.resize(preview.sizeForRows(4));
        preview.setBuffer(buffer.get());
        preview.setSwapPairs(true);
        preview.show();

        QTest::mouseClick(&preview, Qt::LeftButton, {}, cellCentre(preview, 0, CellKind::Hex));
        QCOMPARE(preview.editor().mode(), PreviewEditor::Mode::HighNibble);
        typeText(preview, QStringLiteral("12"));

        QCOMPARE(buffer->data()[1], std::uint8_t{0x12}); // cell 0 shows byte 1
        QCOMPARE(buffer->data()[0], std::uint8_t{0x00});
        QCOMPARE(buffer->attributes()[1], std::uint8_t(ByteAttribute::ChangedInMemory));
        QCOMPARE(buffer->attributes()[0], std::uint8_t(ByteAttribute::Loaded));
        QCOMPARE(preview.editor().cell(), std::size_t{1}); // which shows byte 0
        QCOMPARE(preview.editor().mode(), PreviewEditor::Mode::HighNibble);
        QVERIFY(buffer->modified());

        typeText(preview, QStringLiteral("ab"));
        QCOMPARE(buffer->data()[0], std::uint8_t{0xAB});
    }

    void aCharacterThatIsNotAHexDigitChangesNothing() {
        auto buffer = loadedBuffer(20);
        MemoryPreview preview;
        preview.resize(preview.sizeForRows(4));
        preview.setBuffer(buffer.get());
        preview.show();

        QTest::mouseClick(&preview, Qt::LeftButton, {}, cellCentre(preview, 17, CellKind::Hex));
        typeText(preview, QStringLiteral("G"));
        QCOMPARE(buffer->data()[17], std::uint8_t{17});
        QVERIFY(!buffer->modified());
        QCOMPARE(preview.editor().mode(), PreviewEditor::Mode::HighNibble);

        typeText(preview, QStringLiteral("f"));
        QVERIFY(buffer->modified());
        QCOMPARE(buffer->data()[17], std::uint8_t{0xF1});
    }

    void theLastByteEndsEditingInBothKindsOfCell() {
        auto buffer = loadedBuffer(20);
        MemoryPreview preview;
        preview.resize(preview.sizeForRows(4));
        preview.setBuffer(buffer.get());
        preview.show();

        QTest::mouseClick(&preview, Qt::LeftButton, {}, cellCentre(preview, 19, CellKind::Hex));
        typeText(preview, QStringLiteral("5"));
        QVERIFY(preview.editor().editing());
        typeText(preview, QStringLiteral("A"));
        QVERIFY(!preview.editor().editing());
        QCOMPARE(buffer->data()[19], std::uint8_t{0x5A});
        typeText(preview, QStringLiteral("7")); // no longer editing: nothing happens
        QCOMPARE(buffer->data()[19], std::uint8_t{0x5A});

        QTest::mouseClick(&preview, Qt::LeftButton, {}, cellCentre(preview, 18, CellKind::Character));
        QCOMPARE(preview.editor().mode(), PreviewEditor::Mode::Character);
        typeText(preview, QStringLiteral("Ok"));
        QCOMPARE(buffer->data()[18], std::uint8_t{'O'});
        QCOMPARE(buffer->data()[19], std::uint8_t{'k'});
        QVERIFY(!preview.editor().editing());
    }

    void clicksOutsideTheDataAndTheRightButton() {
        auto buffer = loadedBuffer(20);
        MemoryPreview preview;
        preview.resize(preview.sizeForRows(4));
        preview.setBuffer(buffer.get());
        preview.show();

        // Row 1 holds 4 bytes; the fifth cell of it is past the end.
        QTest::mouseClick(&preview, Qt::LeftButton, {}, cellCentre(preview, 20, CellKind::Hex));
        QVERIFY(!preview.editor().editing());
        // The heading row is not data.
        QPoint heading = cellCentre(preview, 0, CellKind::Hex);
        heading.setY(5);
        QTest::mouseClick(&preview, Qt::LeftButton, {}, heading);
        QVERIFY(!preview.editor().editing());

        QTest::mouseClick(&preview, Qt::LeftButton, {}, cellCentre(preview, 3, CellKind::Hex));
        QVERIFY(preview.editor().editing());
        QTest::mouseClick(&preview, Qt::RightButton, {}, cellCentre(preview, 3, CellKind::Hex));
        QVERIFY(!preview.editor().editing());
        // Escape ends editing too, and keys pressed then are not bytes.
        QTest::mouseClick(&preview, Qt::LeftButton, {}, cellCentre(preview, 3, CellKind::Character));
        QTest::keyClick(&preview, Qt::Key_Escape);
        QVERIFY(!preview.editor().editing());
        QVERIFY(!buffer->modified());
    }

    void theWholeOfAnEightMegabyteImageScrollsAndEdits() {
        constexpr int size = 8 * 1024 * 1024;
        auto buffer = std::make_unique<MemoryBuffer>(ui_, messages_, false);
        QVERIFY(buffer->create(size));
        MemoryPreview preview;
        preview.resize(preview.sizeForRows(12));
        preview.setBuffer(buffer.get());
        preview.show();

        const std::size_t rows = size / kBytesPerRow; // 524,288: beyond the old 32,768-row limit
        preview.setFirstRow(rows * 2);
        QCOMPARE(preview.firstRow(), rows - static_cast<std::size_t>(preview.visibleRows()));
        QTest::keyClick(&preview, Qt::Key_PageUp);
        QCOMPARE(preview.firstRow(), rows - static_cast<std::size_t>(preview.visibleRows()) - 16);
        QTest::keyClick(&preview, Qt::Key_End, Qt::ControlModifier);

        QTest::mouseClick(&preview, Qt::LeftButton, {}, cellCentre(preview, size - 1, CellKind::Hex));
        QCOMPARE(preview.editor().cell(), std::size_t{size - 1});
        typeText(preview, QStringLiteral("3C"));
        QCOMPARE(buffer->data()[size - 1], std::uint8_t{0x3C});
        QVERIFY(!preview.editor().editing());

        // The buffer shrinking under the cursor stops the editing and the scrolling past its end.
        QTest::mouseClick(&preview, Qt::LeftButton, {}, cellCentre(preview, size - 2, CellKind::Hex));
        QVERIFY(buffer->create(64));
        preview.bufferChanged();
        QVERIFY(!preview.editor().editing());
        QCOMPARE(preview.firstRow(), std::size_t{0});
    }

    void aPlainBufferIsDrawnFromItsCopyWhileAWorkerWritesIt() {
        auto buffer = loadedBuffer(256);
        MemoryPreview preview;
        preview.resize(preview.sizeForRows(8));
        preview.setBuffer(buffer.get());
        buffer->setPlain(true);
        preview.bufferChanged(); // as the operation does before its worker starts
        QImage before(preview.size(), QImage::Format_ARGB32_Premultiplied);
        preview.render(&before);

        for (auto& byte : buffer->data()) byte = 0xA5; // the worker at work
        QImage during(preview.size(), QImage::Format_ARGB32_Premultiplied);
        preview.render(&during);
        QCOMPARE(during, before);

        buffer->setPlain(false);
        preview.bufferChanged();
        QImage after(preview.size(), QImage::Format_ARGB32_Premultiplied);
        preview.render(&after);
        QVERIFY(after != before);
    }

    void aFrameOfAnEightMegabyteImagePaintsQuickly() {
        constexpr int size = 8 * 1024 * 1024;
        auto buffer = std::make_unique<MemoryBuffer>(ui_, messages_, false);
        QVERIFY(buffer->create(size));
        for (int i = 0; i < size; ++i) {
            buffer->data()[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i * 7);
            buffer->attributes()[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i % 7);
        }
        // The Flash preview at the main window's default size, and a tall one (a maximised window).
        for (const int rows : {12, 40}) {
            MemoryPreview preview;
            preview.resize(preview.sizeForRows(rows));
            preview.setBuffer(buffer.get());
            preview.setFirstRow(size / kBytesPerRow / 2);
            QImage image(preview.size(), QImage::Format_ARGB32_Premultiplied);
            preview.render(&image); // warm the glyph cache

            constexpr int frames = 200;
            std::vector<qint64> cpu;
            std::vector<qint64> wall;
            QElapsedTimer timer;
            for (int frame = 0; frame < frames; ++frame) {
                const qint64 cpuStart = threadCpuNs();
                timer.start();
                preview.setFirstRow(static_cast<std::size_t>(frame) * 1000); // a fresh part of the image
                preview.render(&image);
                wall.push_back(timer.nsecsElapsed());
                cpu.push_back(threadCpuNs() - cpuStart);
            }
            std::sort(cpu.begin(), cpu.end());
            std::sort(wall.begin(), wall.end());
            const double medianMs = static_cast<double>(cpu[frames / 2]) / 1e6;
            qInfo("preview frame, 8 MiB image, %d rows (%dx%d): CPU median %.3f ms, 90th percentile %.3f ms; "
                  "wall median %.3f ms",
                  rows, preview.width(), preview.height(), medianMs,
                  static_cast<double>(cpu[frames * 9 / 10]) / 1e6,
                  static_cast<double>(wall[frames / 2]) / 1e6);
            // Painting every row would take seconds; the bound catches that, not machine noise.
            QVERIFY2(medianMs < 25.0, "a frame must paint only the rows in view");
        }
    }
};

QTEST_MAIN(MemoryPreviewTest)
#include "memory_preview_test.moc"
