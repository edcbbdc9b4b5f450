#include "app/progress_window.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

#include "app/dialogs/window_translation.h"
#include "app/progress_animation.h"
#include "board/operation_runner.h"
#include "i18n/ui_translation.h"

namespace tovel::app {

ProgressWindow::ProgressWindow(QWidget* parent, const Messages& messages)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), text_(new QLabel(this)),
      animation_(new ProgressAnimation(this)), bar_(new QProgressBar(this)), percent_(new QLabel(this)),
      cancel_(new QPushButton(QStringLiteral("Cancel"), this)) {
    setModal(true);
    text_->setAlignment(Qt::AlignCenter);
    text_->setMinimumWidth(300);
    bar_->setRange(0, 100);
    bar_->setValue(0);
    bar_->setTextVisible(false);
    percent_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    cancel_->setAutoDefault(false);
    cancel_->setDefault(false);
    setControlId(cancel_, ui::progressWindow::CancelId);
    connect(cancel_, &QPushButton::clicked, this, &ProgressWindow::reject);

    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(text_);
    layout->addWidget(animation_);
    layout->addWidget(bar_);
    layout->addWidget(percent_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancel_);
    layout->addLayout(buttons);

    pollTimer_.setInterval(kDonePollMs);
    connect(&pollTimer_, &QTimer::timeout, this, &ProgressWindow::pollWorker);
    translateWindow(*this, ui::ProgressWindowId, messages.language());
}

ProgressWindow::~ProgressWindow() {
    if (runner_ != nullptr) runner_->setObserver(nullptr);
}

Outcome ProgressWindow::run(OperationRunner& runner) {
    runner_ = &runner;
    runner.setObserver(this);
    if (!runner.launch()) {
        runner.setObserver(nullptr);
        runner_ = nullptr;
        return OperationRunner::kNotStartedResult;
    }
    pollTimer_.start();
    exec();
    pollTimer_.stop();
    runner.join();
    runner.setObserver(nullptr);
    runner_ = nullptr;
    return runner.result();
}

void ProgressWindow::pollWorker() {
    if (runner_ == nullptr || !runner_->done()) return;
    pollTimer_.stop();
    // The window's own result code plays no part: run() hands back the runner's outcome.
    QDialog::done(QDialog::Accepted);
}

void ProgressWindow::accept() {}

void ProgressWindow::reject() {
    if (runner_ == nullptr) return;
    // A second Cancel would make the stop urgent; one request is all a window needs.
    if (stop_ != nullptr && !stop_->requested()) stop_->raise();
    runner_->requestCancel();
}

void ProgressWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event); // Escape reaches reject()
}

void ProgressWindow::closeEvent(QCloseEvent* event) {
    // A close request from the window manager (there is no close box, but keys can ask) is a
    // Cancel; the window itself closes only when the worker has ended.
    event->ignore();
    reject();
}

void ProgressWindow::applyOnWindowThread(const std::function<void()>& change) {
    if (QThread::currentThread() == thread()) {
        change();
        return;
    }
    // The window's thread never waits for the worker while it runs, so this cannot deadlock.
    QMetaObject::invokeMethod(this, change, Qt::BlockingQueuedConnection);
}

void ProgressWindow::setTitle(const std::string& title) {
    applyOnWindowThread([this, &title] { setWindowTitle(QString::fromStdString(title)); });
}

void ProgressWindow::setText(const std::string& text) {
    applyOnWindowThread([this, &text] { text_->setText(QString::fromStdString(text)); });
}

void ProgressWindow::setPercentText(const std::string& text) {
    applyOnWindowThread([this, &text] { percent_->setText(QString::fromStdString(text)); });
}

void ProgressWindow::setBar(int percent) {
    applyOnWindowThread([this, percent] { bar_->setValue(percent); });
}

void ProgressWindow::setCancelVisible(bool visible) {
    applyOnWindowThread([this, visible] { cancel_->setVisible(visible); });
}

QString ProgressWindow::operationText() const { return text_->text(); }
QString ProgressWindow::percentText() const { return percent_->text(); }
int ProgressWindow::barValue() const { return bar_->value(); }
bool ProgressWindow::cancelVisible() const { return !cancel_->isHidden(); }

} // namespace tovel::app

#include "core/stop_request.h"
#include "moc_progress_window.cpp"
