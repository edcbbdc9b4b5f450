// The looping picture of the progress window: bytes travelling from the programmer board to the
// chip. Drawn with QPainter; it runs only while shown.
#pragma once

#include <QTimer>
#include <QWidget>

namespace tovel::app {

class ProgressAnimation : public QWidget {
    Q_OBJECT

public:
    explicit ProgressAnimation(QWidget* parent = nullptr);

    QSize sizeHint() const override { return {280, 48}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QTimer timer_;
    int frame_ = 0;
};

} // namespace tovel::app
