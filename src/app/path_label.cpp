#include "app/path_label.h"

#include <QFontMetrics>
#include <QResizeEvent>
#include <algorithm>

namespace tovel::app {

PathLabel::PathLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

void PathLabel::setFullText(const QString& text) {
    fullText_ = text;
    setToolTip(text);
    elide();
}

QSize PathLabel::minimumSizeHint() const { return {0, QLabel::minimumSizeHint().height()}; }

QSize PathLabel::sizeHint() const { return {0, QLabel::sizeHint().height()}; }

void PathLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    elide();
}

void PathLabel::elide() {
    setText(fontMetrics().elidedText(fullText_, Qt::ElideMiddle, std::max(0, width())));
}

} // namespace tovel::app

#include "moc_path_label.cpp"
