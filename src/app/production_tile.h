// One board in the production window: its port, what it is doing, the progress of the running
// operation, a large PASS or FAIL (by text and by colour) for the last chip and its serial number.
#pragma once

#include <QFrame>

#include "i18n/messages.h"

class QLabel;
class QProgressBar;

namespace tovel::app {

class ProductionTile : public QFrame {
    Q_OBJECT

public:
    ProductionTile(const QString& port, Language language, QWidget* parent = nullptr);

    void setState(const QString& text);
    void setProgress(int percent);
    // The last chip's verdict; an empty serial number shows none.
    void setVerdict(bool passed, const QString& serial);
    void clearVerdict();

    QString stateText() const;
    QString verdictText() const;
    QString serialText() const;

private:
    Language language_;
    QLabel* port_ = nullptr;
    QLabel* state_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* verdict_ = nullptr;
    QLabel* serial_ = nullptr;
};

} // namespace tovel::app
