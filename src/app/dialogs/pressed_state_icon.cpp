#include "app/dialogs/pressed_state_icon.h"

#include <QAbstractButton>
#include <QEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace tovel {

namespace {

QPixmap square(int side, qreal ratio, const QColor& colour, bool pressed) {
    QPixmap pixmap(QSize(side, side) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal pen = std::max<qreal>(1.5, side / 8.0);
    const QRectF frame(pen / 2, pen / 2, side - pen, side - pen);
    painter.setPen(QPen(colour, pen));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(frame);
    if (pressed) {
        QPainterPath tick;
        tick.moveTo(side * 0.22, side * 0.52);
        tick.lineTo(side * 0.43, side * 0.74);
        tick.lineTo(side * 0.80, side * 0.26);
        painter.setPen(QPen(colour, pen * 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPath(tick);
    }
    return pixmap;
}

// Redraws the icon when the palette or the screen scale changes.
class IconRefresher : public QObject {
public:
    explicit IconRefresher(QAbstractButton& button) : QObject(&button), button_(button) {
        button.installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &button_ &&
            (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange ||
             event->type() == QEvent::ScreenChangeInternal))
            button_.setIcon(pressedStateIcon(button_));
        return false;
    }

private:
    QAbstractButton& button_;
};

} // namespace

QIcon pressedStateIcon(const QAbstractButton& button) {
    const int side = std::max(10, button.fontMetrics().height() * 3 / 4);
    const qreal ratio = button.devicePixelRatioF();
    const QColor text = button.palette().color(QPalette::Active, QPalette::ButtonText);
    const QColor disabled = button.palette().color(QPalette::Disabled, QPalette::ButtonText);
    QIcon icon;
    for (const bool pressed : {false, true}) {
        const QIcon::State state = pressed ? QIcon::On : QIcon::Off;
        icon.addPixmap(square(side, ratio, text, pressed), QIcon::Normal, state);
        icon.addPixmap(square(side, ratio, text, pressed), QIcon::Active, state);
        icon.addPixmap(square(side, ratio, disabled, pressed), QIcon::Disabled, state);
    }
    return icon;
}

void showPressedState(QAbstractButton& button) {
    button.setIcon(pressedStateIcon(button));
    new IconRefresher(button);
}

} // namespace tovel
