// The status line at the bottom of the main window: where operations report what they do and
// how it ended. A click on it opens the project settings.
#pragma once

#include <QLabel>

namespace tovel::app {

class StatusLine : public QLabel {
    Q_OBJECT

public:
    explicit StatusLine(QWidget* parent = nullptr);

Q_SIGNALS:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

} // namespace tovel::app
