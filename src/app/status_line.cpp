#include "app/status_line.h"

#include <QMouseEvent>

namespace tovel::app {

StatusLine::StatusLine(QWidget* parent) : QLabel(parent) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setTextFormat(Qt::PlainText);
    setMargin(2);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    setCursor(Qt::PointingHandCursor);
}

void StatusLine::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        Q_EMIT clicked();
        return;
    }
    QLabel::mouseReleaseEvent(event);
}

} // namespace tovel::app

#include "moc_status_line.cpp"
