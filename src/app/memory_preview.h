// The preview pane of a memory buffer: a hexadecimal dump, sixteen bytes to a row, with the
// address on the left and the bytes as characters on the right, each byte coloured by its history.
// It is also a small editor: click a hex cell and type digits, or a character cell and type
// characters. The Flash pane can show byte pairs swapped so program words read high byte first.
//
// Only the rows in view are drawn, so an 8 MiB DataFlash image scrolls and paints as quickly as a
// small EEPROM image.
#pragma once

#include <QFont>
#include <QStaticText>
#include <QWidget>
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "app/preview_editor.h"
#include "app/preview_geometry.h"
#include "i18n/messages.h"

class QScrollBar;

namespace tovel {
class MemoryBuffer;
}

namespace tovel::app {

class MemoryPreview : public QWidget {
    Q_OBJECT

public:
    explicit MemoryPreview(QWidget* parent = nullptr);

    // The buffer shown (not owned), or null for an empty pane.
    void setBuffer(MemoryBuffer* buffer);
    MemoryBuffer* buffer() const { return buffer_; }

    // Cell i shows byte i ^ 1; the column headings are flipped the same way.
    void setSwapPairs(bool swap);
    bool swapPairs() const { return swapPairs_; }

    // The buffer's bytes, attributes or size changed: the scroll range follows and the pane repaints.
    // When the buffer has just turned plain, an operation's worker is about to write it: the rows
    // in view are copied now and drawn from the copy until it is plain no more, so painting never
    // reads bytes the worker is writing.
    void bufferChanged();

    // The first row shown; values past the end are clamped.
    std::size_t firstRow() const { return firstRow_; }
    void setFirstRow(std::size_t row);
    // Rows below the heading that fit wholly in the pane.
    int visibleRows() const;

    const PreviewGeometry& cellGeometry() const { return geometry_; }
    const PreviewEditor& editor() const { return editor_; }
    // "Address 0x000010, value 0xFF" for the byte under the edit cursor; empty while not editing.
    // It is also the preview's accessible description, so a screen reader tells it.
    QString cursorDescription() const;
    void setLanguage(Language language);

    // The pane's width for the dump and the scroll bar, and its height for `rows` rows.
    QSize sizeForRows(int rows) const;
    void setPreferredRows(int rows);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void measureFont();
    void updateScrollRange();
    void placeScrollBar();
    int clientWidth() const;
    void scrollToEditCursor();
    // Enter or F2 starts editing; the arrows move the cursor (Tab still moves the focus on).
    // False when the key is not one of these here.
    bool moveEditCursorByKey(int key);
    void announceCursor();
    void drawGrid(QPainter& painter, int clientWidth, int clientHeight) const;
    void drawRows(QPainter& painter, int rows) const;

    MemoryBuffer* buffer_ = nullptr;
    bool swapPairs_ = false;
    std::size_t firstRow_ = 0;
    int preferredRows_ = 8;
    PreviewEditor editor_;
    Language language_ = Language::English;
    PreviewGeometry geometry_;
    QFont dumpFont_;
    int charWidth_ = 8;
    int textHeight_ = 11;
    int ascent_ = 9;

    // The bytes drawn while the buffer is plain, from row `plainFirstRow_` on.
    std::vector<std::uint8_t> plainRows_;
    std::size_t plainFirstRow_ = 0;

    QScrollBar* scrollBar_;
    // Laid-out texts of every byte value, so a frame draws without shaping any text.
    std::array<QStaticText, 256> hexTexts_;
    std::array<QStaticText, 256> characterTexts_;
    std::array<QStaticText, kBytesPerRow> digitTexts_;
};

} // namespace tovel::app
