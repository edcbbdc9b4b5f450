#include "app/screenshot_taker.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QWidget>
#include <cstdio>
#include <utility>

#include "app/dialogs/window_translation.h"
#include "app/progress_window.h"

namespace tovel::app {

namespace {

constexpr int kStartDelayMs = 200;
constexpr int kWatchIntervalMs = 100;
constexpr int kSettleTicks = 3; // a dialog is pictured after it has stayed up this many ticks

} // namespace

ScreenshotTaker::ScreenshotTaker(QWidget* window, QString path, Steps steps, CommandRunner runCommand)
    : QObject(window), window_(window), path_(std::move(path)), steps_(std::move(steps)),
      runCommand_(std::move(runCommand)) {
    watch_.setInterval(kWatchIntervalMs);
    connect(&watch_, &QTimer::timeout, this, &ScreenshotTaker::watchForDialog);
}

void ScreenshotTaker::start() { QTimer::singleShot(kStartDelayMs, this, &ScreenshotTaker::runCommands); }

void ScreenshotTaker::runCommands() {
    // A command that opens a dialog returns only when the dialog closes; the timer pictures it
    // from inside the dialog's own event loop meanwhile.
    watch_.start();
    for (const int commandId : steps_.commands) runCommand_(commandId);
    if (saved_) return;
    watch_.stop();
    // Let the window settle (layouts, repaints after the commands) before it is grabbed.
    QTimer::singleShot(kWatchIntervalMs * kSettleTicks, this, [this] {
        save(*window_);
        window_->close();
    });
}

void ScreenshotTaker::watchForDialog() {
    if (saved_) {
        closeEverything();
        return;
    }
    QWidget* modal = QApplication::activeModalWidget();
    // The progress window comes and goes on its own; it is not what a command is pictured by.
    if (modal == nullptr || qobject_cast<ProgressWindow*>(modal) != nullptr) {
        dialog_ = nullptr;
        return;
    }
    if (modal != dialog_) {
        dialog_ = modal;
        settledTicks_ = 0;
        return;
    }
    if (++settledTicks_ < kSettleTicks) return;
    if (dismissed_ < steps_.dismiss) {
        ++dismissed_;
        // A box's default button, or its only one; other dialogs are accepted.
        QAbstractButton* button = nullptr;
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            button = box->defaultButton();
            if (button == nullptr && box->buttons().size() == 1) button = box->buttons().front();
        }
        if (button != nullptr)
            button->click();
        else if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->accept();
        return;
    }
    if (steps_.click && !clicked_) {
        clicked_ = true;
        // Dialogs know their controls by resource id (only dialogs are ever modal here).
        if (auto* button = qobject_cast<QAbstractButton*>(findControl(*modal, *steps_.click))) {
            // Queued: the dialog it opens runs its own loop, in which this timer must keep firing.
            QMetaObject::invokeMethod(button, &QAbstractButton::click, Qt::QueuedConnection);
            return;
        }
        std::fprintf(stderr, "tovelisp: the dialog has no button %u to click\n", *steps_.click);
    }
    save(*modal);
}

void ScreenshotTaker::save(QWidget& widget) {
    saved_ = true;
    if (!widget.grab().save(path_)) std::fprintf(stderr, "tovelisp: cannot save %s\n", qPrintable(path_));
}

void ScreenshotTaker::closeEverything() {
    if (QWidget* modal = QApplication::activeModalWidget()) {
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
        return; // the next tick closes the dialog below it, if any
    }
    watch_.stop();
    window_->close();
}

} // namespace tovel::app
