// A one-line label for a file path: too long a path is shortened in the middle ("/home/.../x.hex")
// so the file name stays readable; the whole path is in the tool tip.
#pragma once

#include <QLabel>

namespace tovel::app {

class PathLabel : public QLabel {
    Q_OBJECT

public:
    explicit PathLabel(QWidget* parent = nullptr);

    void setFullText(const QString& text);
    const QString& fullText() const { return fullText_; }

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void elide();

    QString fullText_;
};

} // namespace tovel::app
