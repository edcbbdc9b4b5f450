#include "app/progress_animation.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace tovel::app {

namespace {

constexpr int kFrameMs = 40;
constexpr int kFrameCount = 50; // one loop in two seconds
constexpr int kPackets = 4;

void drawBoard(QPainter& p, const QRectF& r) {
    p.setPen(QPen(QColor(0x14, 0x4d, 0x33), 1.5));
    p.setBrush(QColor(0x1f, 0x6f, 0x4a));
    p.drawRoundedRect(r, 3, 3);
    // A connector on the left edge and a status light.
    p.setBrush(QColor(0xc8, 0xc8, 0xc8));
    p.drawRect(QRectF(r.left() - 4, r.center().y() - 7, 5, 14));
    p.setBrush(QColor(0xf2, 0xc1, 0x4e));
    p.drawEllipse(QPointF(r.right() - 7, r.top() + 7), 2.5, 2.5);
}

void drawChip(QPainter& p, const QRectF& r) {
    p.setPen(QPen(QColor(0x9a, 0x9a, 0x9a), 1.5));
    const int pins = 5;
    for (int i = 0; i < pins; ++i) {
        const qreal x = r.left() + (i + 0.5) * r.width() / pins;
        p.drawLine(QPointF(x, r.top() - 4), QPointF(x, r.top()));
        p.drawLine(QPointF(x, r.bottom()), QPointF(x, r.bottom() + 4));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x22, 0x28, 0x31));
    p.drawRoundedRect(r, 2, 2);
    p.setBrush(QColor(0x5a, 0x62, 0x70));
    p.drawEllipse(QPointF(r.left() + 6, r.top() + 6), 2, 2);
}

} // namespace

ProgressAnimation::ProgressAnimation(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
    timer_.setInterval(kFrameMs);
    connect(&timer_, &QTimer::timeout, this, [this] {
        frame_ = (frame_ + 1) % kFrameCount;
        update();
    });
}

void ProgressAnimation::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    timer_.start();
}

void ProgressAnimation::hideEvent(QHideEvent* event) {
    timer_.stop();
    QWidget::hideEvent(event);
}

void ProgressAnimation::paintEvent(QPaintEvent* /*event*/) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal h = height();
    const qreal cx = width() / 2.0;
    const QRectF board(cx - 110, h / 2 - 14, 54, 28);
    const QRectF chip(cx + 62, h / 2 - 11, 44, 22);
    drawBoard(p, board);
    drawChip(p, chip);

    // The track and the bytes on it, each fading in at the board and out at the chip.
    const qreal start = board.right() + 6;
    const qreal end = chip.left() - 8;
    const qreal y = h / 2;
    p.setPen(QPen(palette().color(QPalette::Mid), 1, Qt::DotLine));
    p.drawLine(QPointF(start, y), QPointF(end, y));
    p.setPen(Qt::NoPen);
    for (int i = 0; i < kPackets; ++i) {
        const qreal phase =
            std::fmod(static_cast<qreal>(frame_) / kFrameCount + static_cast<qreal>(i) / kPackets, 1.0);
        const qreal x = start + phase * (end - start);
        const qreal fade = std::min(1.0, std::min(phase, 1.0 - phase) * 5.0);
        QColor colour = palette().color(QPalette::Highlight);
        colour.setAlphaF(static_cast<float>(fade));
        p.setBrush(colour);
        p.drawRoundedRect(QRectF(x - 6, y - 4, 12, 8), 2, 2);
    }
}

} // namespace tovel::app

#include "moc_progress_animation.cpp"
