#include "app/doctor_window.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QMetaObject>
#include <QPushButton>
#include <QVBoxLayout>

#include "board/board_session.h"
#include "doctor/connection_doctor.h"
#include "doctor/workbench_doctor.h"
#include "workbench/workbench.h"

namespace tovel::app {

namespace {

QString textOf(const doctor::DoctorCheck& check, const Messages& messages) {
    QString advice;
    for (const doctor::DoctorText& text : check.advice)
        advice += QStringLiteral("\n    ") + QString::fromStdString(doctor::render(text, messages));
    return QString::fromStdString(doctor::stateName(check.state, messages) + ": " +
                                  messages.text(check.nameId) + ": " +
                                  doctor::render(check.finding, messages)) +
           advice;
}

} // namespace

DoctorWindow::DoctorWindow(Workbench& workbench, StopRequest* stop, QWidget* parent)
    : QDialog(parent), workbench_(workbench), list_(new QListWidget(this)), summary_(new QLabel(this)),
      cancel_(new QPushButton(this)), close_(new QPushButton(this)),
      stop_(stop != nullptr ? stop : &ownStop_) {
    const Messages& messages = workbench.messages();
    setWindowTitle(QString::fromUtf8(messages.text(msg::DoctorWindowTitle)));
    summary_->setWordWrap(true);
    summary_->setText(QString::fromUtf8(messages.text(msg::DoctorRunning)));
    summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    list_->setWordWrap(true);
    list_->setSelectionMode(QAbstractItemView::NoSelection);
    cancel_->setText(QString::fromUtf8(messages.text(msg::DoctorCancel)));
    cancel_->setEnabled(false);
    connect(cancel_, &QPushButton::clicked, this, &DoctorWindow::cancel);
    close_->setText(QString::fromUtf8(messages.text(msg::DoctorClose)));
    close_->setEnabled(false);
    connect(close_, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_, 1);
    layout->addWidget(summary_);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(cancel_, QDialogButtonBox::RejectRole);
    buttons->addButton(close_, QDialogButtonBox::AcceptRole);
    layout->addWidget(buttons);
    resize(560, 340);
}

DoctorWindow::~DoctorWindow() {
    if (!worker_.joinable()) return;
    // Torn down while the checks run (the program ends): they stop first, promptly.
    cancel();
    worker_.join();
    stop_->clear();
}

void DoctorWindow::start() {
    if (worker_.joinable() || finished_) return;
    doctor::DoctorSettings settings = doctor::doctorSettingsOf(workbench_);
    settings.stop = stop_;
    cancel_->setEnabled(true);
    // The window outlives the worker (its destructor joins), so the queued calls find it alive.
    worker_ = std::thread([this, settings] {
        doctor::runDoctor(workbench_.session().channel(), workbench_.clock(), workbench_.messages(), settings,
                          [this](const doctor::DoctorCheck& check) {
                              QMetaObject::invokeMethod(
                                  this, [this, check] { addCheck(check); }, Qt::QueuedConnection);
                          });
        QMetaObject::invokeMethod(
            this, [this] { finish(); }, Qt::QueuedConnection);
    });
}

void DoctorWindow::addCheck(const doctor::DoctorCheck& check) {
    const Messages& messages = workbench_.messages();
    if (check.key == "summary") {
        summary_->setText(textOf(check, messages));
        return;
    }
    list_->addItem(textOf(check, messages));
    list_->scrollToBottom();
}

void DoctorWindow::cancel() {
    if (!worker_.joinable() || finished_) return;
    cancel_->setEnabled(false);
    // Once: a second request would cut the proper end of the board session short.
    if (!stop_->requested()) stop_->raise();
}

void DoctorWindow::finish() {
    if (worker_.joinable()) worker_.join();
    // The request is shared with the program's other commands: the next one starts afresh.
    stop_->clear();
    finished_ = true;
    cancel_->setEnabled(false);
    close_->setEnabled(true);
    close_->setDefault(true);
    if (closeWhenFinished_) QDialog::reject();
}

void DoctorWindow::reject() {
    if (finished_ || !worker_.joinable()) {
        QDialog::reject();
        return;
    }
    // Escape and the title bar's close while the checks run: they are cancelled, and the window
    // closes once the doctor has ended its session, so the board is never left mid-session.
    closeWhenFinished_ = true;
    cancel();
}

void DoctorWindow::run(QWidget* parent, Workbench& workbench, StopRequest* stop) {
    DoctorWindow window(workbench, stop, parent);
    window.start();
    window.exec();
}

} // namespace tovel::app
