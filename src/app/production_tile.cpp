#include "app/production_tile.h"

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

#include "i18n/production_texts.h"

namespace tovel::app {

namespace {

QString text(ProductionText id, Language language) { return QString::fromUtf8(productionText(id, language)); }

constexpr int kVerdictPointSize = 28;

} // namespace

ProductionTile::ProductionTile(const QString& port, Language language, QWidget* parent)
    : QFrame(parent), language_(language) {
    setFrameShape(QFrame::StyledPanel);
    setObjectName(QStringLiteral("productionTile"));
    auto* layout = new QVBoxLayout(this);
    port_ = new QLabel(port, this);
    QFont bold = port_->font();
    bold.setBold(true);
    port_->setFont(bold);
    state_ = new QLabel(text(ProductionText::Idle, language), this);
    state_->setWordWrap(true);
    progress_ = new QProgressBar(this);
    progress_->setRange(0, 100);
    verdict_ = new QLabel(this);
    verdict_->setAlignment(Qt::AlignCenter);
    verdict_->setMinimumHeight(64);
    QFont large = verdict_->font();
    large.setPointSize(kVerdictPointSize);
    large.setBold(true);
    verdict_->setFont(large);
    verdict_->setAutoFillBackground(true);
    serial_ = new QLabel(this);
    for (QWidget* widget :
         {static_cast<QWidget*>(port_), static_cast<QWidget*>(state_), static_cast<QWidget*>(progress_),
          static_cast<QWidget*>(verdict_), static_cast<QWidget*>(serial_)})
        layout->addWidget(widget);
    setMinimumWidth(200);
}

void ProductionTile::setState(const QString& state) { state_->setText(state); }

void ProductionTile::setProgress(int percent) { progress_->setValue(percent); }

void ProductionTile::setVerdict(bool passed, const QString& serial) {
    verdict_->setText(text(passed ? ProductionText::Pass : ProductionText::Fail, language_));
    // Colour as well as the word: the operator sees it from across the bench.
    verdict_->setStyleSheet(passed ? QStringLiteral("background-color: #1b8a2e; color: white;")
                                   : QStringLiteral("background-color: #c62828; color: white;"));
    serial_->setText(serial.isEmpty() ? QString()
                                      : text(ProductionText::SerialNumber, language_).arg(serial));
}

void ProductionTile::clearVerdict() {
    verdict_->clear();
    verdict_->setStyleSheet(QString());
    serial_->clear();
    progress_->setValue(0);
}

QString ProductionTile::stateText() const { return state_->text(); }
QString ProductionTile::verdictText() const { return verdict_->text(); }
QString ProductionTile::serialText() const { return serial_->text(); }

} // namespace tovel::app
