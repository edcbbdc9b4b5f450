#include "app/memory_preview.h"

#include "i18n/desktop_texts.h"

#include <QAccessible>
#include <QFocusEvent>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>
#include <algorithm>

#include "app/byte_colours.h"
#include "app/pc_charset.h"
#include "image/memory_buffer.h"

namespace tovel::app {

namespace {

QColor pageColour() { return QColor(0xFF, 0xFF, 0xFF); }
QColor inkColour() { return QColor(0x00, 0x00, 0x00); }

// The frame runs in this margin: one pixel wide, three while the pane has the focus.
constexpr int kFrameMargin = 3;
constexpr int kWheelRows = 3;
constexpr int kPageRows = 16;
constexpr int kPlainSnapshotRows = 128;

QStaticText preparedText(const QString& text, const QFont& font) {
    QStaticText staticText(text);
    staticText.setTextFormat(Qt::PlainText);
    staticText.setPerformanceHint(QStaticText::AggressiveCaching);
    staticText.prepare(QTransform(), font);
    return staticText;
}

} // namespace

MemoryPreview::MemoryPreview(QWidget* parent)
    : QWidget(parent), scrollBar_(new QScrollBar(Qt::Vertical, this)) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
    scrollBar_->setSingleStep(1);
    scrollBar_->setPageStep(kPageRows);
    scrollBar_->setFocusPolicy(Qt::NoFocus);
    scrollBar_->hide();
    connect(scrollBar_, &QScrollBar::valueChanged, this, [this](int value) {
        firstRow_ = static_cast<std::size_t>(std::max(0, value));
        update();
    });
    measureFont();
}

void MemoryPreview::measureFont() {
    dumpFont_ = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    dumpFont_.setPointSizeF(font().pointSizeF() > 0 ? font().pointSizeF() : 9.0);
    dumpFont_.setStyleHint(QFont::TypeWriter);
    const QFontMetrics metrics(dumpFont_);
    textHeight_ = metrics.height();
    charWidth_ = metrics.averageCharWidth();
    ascent_ = metrics.ascent();
    geometry_ = PreviewGeometry::forFont(textHeight_, charWidth_);
    for (int value = 0; value < 256; ++value) {
        hexTexts_[static_cast<std::size_t>(value)] =
            preparedText(QString::asprintf("%02X", value), dumpFont_);
        characterTexts_[static_cast<std::size_t>(value)] =
            preparedText(QString(QChar(pcCharacterOf(static_cast<std::uint8_t>(value)))), dumpFont_);
    }
    for (int digit = 0; digit < kBytesPerRow; ++digit)
        digitTexts_[static_cast<std::size_t>(digit)] =
            preparedText(QString::number(digit, 16).toUpper(), dumpFont_);
    updateGeometry();
    updateScrollRange();
}

void MemoryPreview::setBuffer(MemoryBuffer* buffer) {
    buffer_ = buffer;
    editor_.end();
    firstRow_ = 0;
    bufferChanged();
}

void MemoryPreview::setSwapPairs(bool swap) {
    if (swapPairs_ == swap) return;
    swapPairs_ = swap;
    update();
}

void MemoryPreview::bufferChanged() {
    const std::size_t size = buffer_ != nullptr ? buffer_->size() : 0;
    editor_.fitTo(size);
    updateScrollRange();
    plainRows_.clear();
    if (buffer_ != nullptr && buffer_->plain()) {
        // Enough rows for the pane grown to a tall screen meanwhile.
        const std::size_t rows = static_cast<std::size_t>(std::max(kPlainSnapshotRows, visibleRows() + 1));
        const std::size_t begin = std::min(size, firstRow_ * kBytesPerRow);
        const std::size_t end = std::min(size, begin + rows * kBytesPerRow);
        plainFirstRow_ = firstRow_;
        plainRows_.assign(buffer_->data().begin() + static_cast<std::ptrdiff_t>(begin),
                          buffer_->data().begin() + static_cast<std::ptrdiff_t>(end));
    }
    update();
}

int MemoryPreview::visibleRows() const { return geometry_.visibleRows(height() - 2 * kFrameMargin); }

void MemoryPreview::setFirstRow(std::size_t row) {
    const std::size_t size = buffer_ != nullptr ? buffer_->size() : 0;
    row = std::min(row, maximumFirstRow(size, visibleRows()));
    if (!scrollBar_->isHidden()) scrollBar_->setValue(static_cast<int>(row));
    firstRow_ = row;
    update();
}

void MemoryPreview::updateScrollRange() {
    const std::size_t size = buffer_ != nullptr ? buffer_->size() : 0;
    const std::size_t maxFirst = maximumFirstRow(size, visibleRows());
    if (maxFirst > 0) {
        const QSignalBlocker block(scrollBar_);
        scrollBar_->setRange(0, static_cast<int>(maxFirst));
        firstRow_ = std::min(firstRow_, maxFirst);
        scrollBar_->setValue(static_cast<int>(firstRow_));
        scrollBar_->show();
    } else {
        scrollBar_->hide();
        firstRow_ = 0;
    }
    placeScrollBar();
}

void MemoryPreview::placeScrollBar() {
    const int barWidth = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    scrollBar_->setGeometry(width() - kFrameMargin - barWidth, kFrameMargin, barWidth,
                            std::max(0, height() - 2 * kFrameMargin));
}

int MemoryPreview::clientWidth() const {
    const int barWidth = scrollBar_->isHidden() ? 0 : scrollBar_->width();
    return std::max(0, width() - 2 * kFrameMargin - barWidth);
}

QSize MemoryPreview::sizeForRows(int rows) const {
    const int barWidth = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    return {geometry_.dumpWidth() + barWidth + 2 * kFrameMargin,
            geometry_.heightForRows(rows) + 2 * kFrameMargin};
}

void MemoryPreview::setPreferredRows(int rows) {
    preferredRows_ = std::max(1, rows);
    updateGeometry();
}

QSize MemoryPreview::sizeHint() const { return sizeForRows(preferredRows_); }

QSize MemoryPreview::minimumSizeHint() const { return sizeForRows(2); }

void MemoryPreview::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    const QPalette& pal = palette();
    // A light page whatever the palette: the byte colours are dark and tell history, so they must
    // stay readable in a dark desktop theme too.
    painter.fillRect(rect(), pageColour());

    const int width = clientWidth();
    const int height = std::max(0, this->height() - 2 * kFrameMargin);
    painter.save();
    painter.translate(kFrameMargin, kFrameMargin);
    painter.setClipRect(0, 0, width, height);
    painter.setFont(dumpFont_);
    drawGrid(painter, width, height);
    drawRows(painter, geometry_.paintedRows(height));
    painter.restore();

    // The frame tells where the keyboard goes.
    const bool focused = hasFocus();
    const QColor frameColour = focused ? pal.color(QPalette::Highlight) : pal.color(QPalette::Mid);
    const int frame = focused ? 3 : 1;
    const QRect r = rect();
    painter.fillRect(QRect(r.left(), r.top(), r.width(), frame), frameColour);
    painter.fillRect(QRect(r.left(), r.bottom() - frame + 1, r.width(), frame), frameColour);
    painter.fillRect(QRect(r.left(), r.top(), frame, r.height()), frameColour);
    painter.fillRect(QRect(r.right() - frame + 1, r.top(), frame, r.height()), frameColour);
}

void MemoryPreview::drawGrid(QPainter& painter, int clientWidth, int clientHeight) const {
    const PreviewGeometry& g = geometry_;
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawLine(0, g.headingRule(), clientWidth, g.headingRule());
    for (const int x : {g.addressRule(), g.hexRule(), g.characterRule()})
        painter.drawLine(x, 0, x, clientHeight);

    painter.setPen(inkColour());
    const int hexInset = (2 * g.columnWidth - 2 * charWidth_) / 2;
    const int characterInset = (g.columnWidth - charWidth_) / 2;
    for (int column = 0; column < kBytesPerRow; ++column) {
        const std::size_t digit = byteIndexOfCell(static_cast<std::size_t>(column), swapPairs_);
        painter.drawStaticText(g.hexCellX(column) + hexInset, 2, hexTexts_[digit]); // "0%X"
        painter.drawStaticText(g.characterCellX(column) + characterInset, 2, digitTexts_[digit]);
    }
}

void MemoryPreview::drawRows(QPainter& painter, int rows) const {
    if (buffer_ == nullptr || !buffer_->hasData()) return;
    const PreviewGeometry& g = geometry_;
    const std::size_t size = buffer_->size();
    const auto bytes = buffer_->data();
    const auto attributes = buffer_->attributes();
    const bool plain = buffer_->plain();
    // While plain the bytes come from the copy taken when the operation began.
    const std::size_t plainBegin = plainFirstRow_ * kBytesPerRow;
    const std::size_t plainEnd = plainBegin + plainRows_.size();
    const bool editing = editor_.editing();
    const int hexInset = (2 * g.columnWidth - 2 * charWidth_) / 2;
    const int characterInset = (g.columnWidth - charWidth_) / 2;
    const QColor textColour = inkColour();

    for (int row = 0; row < rows; ++row) {
        const std::size_t rowStart = (firstRow_ + static_cast<std::size_t>(row)) * kBytesPerRow;
        if (rowStart >= size) break;
        const int y = g.rowY(row);
        painter.setPen(textColour);
        QRgb pen = textColour.rgb();
        painter.drawText(QPoint(1 + characterInset, y + 2 + ascent_),
                         QString::asprintf("%05llX", static_cast<unsigned long long>(rowStart)));

        const std::size_t rowEnd = std::min(size, rowStart + kBytesPerRow);
        for (std::size_t cell = rowStart; cell < rowEnd; ++cell) {
            const std::size_t index = byteIndexOfCell(cell, swapPairs_);
            if (index >= size) continue; // the missing partner of an odd last byte
            QColor colour;
            if (plain)
                colour = plainColour();
            else if (editing && cell == editor_.cell())
                colour = editCursorColour();
            else
                colour = colourOfAttribute(attributes[index]);
            if (colour.rgb() != pen) {
                pen = colour.rgb();
                painter.setPen(colour);
            }
            const int column = static_cast<int>(cell - rowStart);
            if (plain && (index < plainBegin || index >= plainEnd)) continue;
            const std::uint8_t value = plain ? plainRows_[index - plainBegin] : bytes[index];
            painter.drawStaticText(g.hexCellX(column) + hexInset, y + 2, hexTexts_[value]);
            painter.drawStaticText(g.characterCellX(column) + characterInset, y + 2, characterTexts_[value]);
        }
    }
}

void MemoryPreview::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    updateScrollRange();
}

void MemoryPreview::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        editor_.end();
        update();
        QWidget::mousePressEvent(event); // the window sees right double-clicks too
        return;
    }
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    setFocus(Qt::MouseFocusReason);
    if (buffer_ == nullptr || !buffer_->hasData()) return;
    const QPoint p = event->position().toPoint() - QPoint(kFrameMargin, kFrameMargin);
    if (p.x() >= clientWidth()) return;
    if (const std::optional<CellHit> hit = geometry_.hitTest(p.x(), p.y(), firstRow_, buffer_->size())) {
        editor_.begin(*hit);
    }
    update();
    announceCursor();
}

void MemoryPreview::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_PageUp:
        setFirstRow(firstRow_ > kPageRows ? firstRow_ - kPageRows : 0);
        return;
    case Qt::Key_PageDown:
        setFirstRow(firstRow_ + kPageRows);
        return;
    case Qt::Key_Escape:
        if (editor_.editing()) {
            editor_.end();
            update();
            announceCursor();
            return;
        }
        break;
    default:
        break;
    }
    if (moveEditCursorByKey(event->key())) return;
    if ((event->modifiers() & Qt::ControlModifier) != 0) {
        if (event->key() == Qt::Key_Home) return setFirstRow(0);
        if (event->key() == Qt::Key_End)
            return setFirstRow(rowCount(buffer_ != nullptr ? buffer_->size() : 0));
    }

    const QString text = event->text();
    // A plain buffer belongs to a running operation's worker.
    if (buffer_ == nullptr || buffer_->plain() || !editor_.editing() || text.isEmpty())
        return QWidget::keyPressEvent(event);
    bool taken = false;
    for (const char32_t character : text.toUcs4())
        taken = editor_.type(*buffer_, character, swapPairs_) || taken;
    if (taken) {
        scrollToEditCursor();
        update();
        announceCursor();
    }
    event->accept();
}

bool MemoryPreview::moveEditCursorByKey(int key) {
    if (buffer_ == nullptr || !buffer_->hasData() || buffer_->plain()) return false;
    const std::size_t size = buffer_->size();
    // Enter or F2 starts editing at the first cell in view, so the keyboard alone reaches it.
    if (!editor_.editing()) {
        if (key != Qt::Key_Return && key != Qt::Key_Enter && key != Qt::Key_F2) return false;
        editor_.begin({std::min(firstRow_ * kBytesPerRow, size - 1), CellKind::Hex});
    } else {
        const std::size_t cell = editor_.cell();
        std::size_t target = cell;
        switch (key) {
        case Qt::Key_Left:
            target = cell > 0 ? cell - 1 : 0;
            break;
        case Qt::Key_Right:
            target = cell + 1 < size ? cell + 1 : cell;
            break;
        case Qt::Key_Up:
            target = cell >= kBytesPerRow ? cell - kBytesPerRow : cell;
            break;
        case Qt::Key_Down:
            target = cell + kBytesPerRow < size ? cell + kBytesPerRow : cell;
            break;
        default:
            return false;
        }
        editor_.begin(
            {target, editor_.mode() == PreviewEditor::Mode::Character ? CellKind::Character : CellKind::Hex});
    }
    scrollToEditCursor();
    update();
    announceCursor();
    return true;
}

QString MemoryPreview::cursorDescription() const {
    if (buffer_ == nullptr || !editor_.editing()) return {};
    const std::size_t index = byteIndexOfCell(editor_.cell(), swapPairs_);
    if (index >= buffer_->size()) return {};
    // The byte's history in words as well as in its colour.
    constexpr ui::DesktopText kHistory[] = {
        ui::DesktopText::ByteLoaded,   ui::DesktopText::ByteSaved,        ui::DesktopText::ByteProgrammed,
        ui::DesktopText::ByteVerified, ui::DesktopText::ByteReadFromChip, ui::DesktopText::ByteNotConfirmed,
        ui::DesktopText::ByteChanged};
    const std::uint8_t attribute = index < buffer_->attributes().size() ? buffer_->attributes()[index] : 5;
    const ui::DesktopText history =
        attribute < std::size(kHistory) ? kHistory[attribute] : ui::DesktopText::ByteNotConfirmed;
    return QString::fromStdString(
        formatText(ui::desktopText(ui::DesktopText::PreviewCursor, language_), static_cast<unsigned>(index),
                   static_cast<unsigned>(buffer_->data()[index]), ui::desktopText(history, language_)));
}

void MemoryPreview::announceCursor() {
    const QString description = cursorDescription();
    if (description == accessibleDescription()) return;
    setAccessibleDescription(description);
    QAccessibleEvent event(this, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&event);
}

void MemoryPreview::setLanguage(Language language) {
    language_ = language;
    announceCursor();
}

void MemoryPreview::scrollToEditCursor() {
    if (!editor_.editing()) return;
    const std::size_t row = editor_.cell() / kBytesPerRow;
    const std::size_t visible = static_cast<std::size_t>(std::max(1, visibleRows()));
    if (row < firstRow_)
        setFirstRow(row);
    else if (row >= firstRow_ + visible)
        setFirstRow(row - visible + 1);
}

void MemoryPreview::wheelEvent(QWheelEvent* event) {
    const int notches = event->angleDelta().y() / 120;
    if (notches == 0 || scrollBar_->isHidden()) return QWidget::wheelEvent(event);
    const long long target = static_cast<long long>(firstRow_) - static_cast<long long>(notches) * kWheelRows;
    setFirstRow(static_cast<std::size_t>(std::max(0LL, target)));
    event->accept();
}

void MemoryPreview::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    update();
}

void MemoryPreview::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}

void MemoryPreview::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) measureFont();
    if (event->type() == QEvent::PaletteChange) update();
}

} // namespace tovel::app

#include "moc_memory_preview.cpp"
