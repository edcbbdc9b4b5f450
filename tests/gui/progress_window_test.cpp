// The progress window with real worker threads: what it shows while the worker reports, Cancel,
// the Enter key, and when it closes.
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <functional>
#include <thread>

#include "app/progress_window.h"
#include "board/operation_runner.h"
#include "core/stop_request.h"

using namespace tovel;
using namespace tovel::app;
using namespace std::chrono_literals;

namespace {

// A worker whose body the test supplies; it may look at the window through `probe`.
class ScriptedRunner : public OperationRunner {
public:
    ScriptedRunner(const Messages& messages, std::function<Outcome(ScriptedRunner&)> body)
        : OperationRunner(messages), body_(std::move(body)) {}

    using OperationRunner::hideCancel;
    using OperationRunner::setProgress;
    using OperationRunner::start;

private:
    Outcome run() override { return body_(*this); }
    std::function<Outcome(ScriptedRunner&)> body_;
};

// Reads the window's state on the window's thread, from the worker.
template <typename T> T probe(ProgressWindow& window, const std::function<T()>& read) {
    T value{};
    QMetaObject::invokeMethod(
        &window, [&] { value = read(); }, Qt::BlockingQueuedConnection);
    return value;
}

QPushButton* cancelButton(ProgressWindow& window) { return window.findChild<QPushButton*>(); }

} // namespace

class ProgressWindowTest : public QObject {
    Q_OBJECT

private:
    Messages messages_;

private Q_SLOTS:
    void updatesAppearInOrderAsTheWorkerReports() {
        ProgressWindow window(nullptr, messages_);
        QStringList seen;
        ScriptedRunner runner(messages_, [&](ScriptedRunner& r) {
            r.start("Programming Flash", "Program", 3072);
            seen << probe<QString>(window,
                                   [&] { return window.windowTitle() + "|" + window.operationText(); });
            r.setProgress(30); // 0 %: nothing changes
            seen << probe<QString>(window, [&] { return window.percentText(); });
            r.setProgress(31);
            seen << probe<QString>(window, [&] { return window.percentText(); });
            seen << QString::number(probe<int>(window, [&] { return window.barValue(); }));
            r.setProgress(3071);
            seen << probe<QString>(window, [&] { return window.percentText(); });
            return Outcome::Ok;
        });
        QCOMPARE(window.run(runner), Outcome::Ok);
        QCOMPARE(seen, (QStringList{"Programming Flash|Program", "", "1% completed", "1", "99% completed"}));
        QVERIFY(!window.isVisible());
    }

    void aTotalOfZeroShowsNoProgress() {
        ProgressWindow window(nullptr, messages_);
        ScriptedRunner runner(messages_, [&](ScriptedRunner& r) {
            r.start("Erase", "Erasing device", 0);
            r.setProgress(5);
            return Outcome::Ok;
        });
        QCOMPARE(window.run(runner), Outcome::Ok);
        QCOMPARE(window.barValue(), 0);
        QCOMPARE(window.percentText(), QString());
    }

    void cancelAsksTheWorkerAndTheWindowWaitsForIt() {
        ProgressWindow window(nullptr, messages_);
        std::atomic<bool> sawCancel{false};
        ScriptedRunner runner(messages_, [&](ScriptedRunner& r) {
            r.start("Reading Flash", "Read", 100);
            while (!r.cancelRequested()) std::this_thread::sleep_for(5ms);
            sawCancel = true;
            std::this_thread::sleep_for(500ms); // the window must still be up
            return Outcome::Cancelled;
        });
        bool visibleAfterCancel = false;
        QTimer::singleShot(100, &window, [&] {
            QTest::mouseClick(cancelButton(window), Qt::LeftButton);
            QTimer::singleShot(100, &window, [&] { visibleAfterCancel = window.isVisible(); });
        });
        QCOMPARE(window.run(runner), Outcome::Cancelled); // the worker's code, not the Cancel result
        QVERIFY(sawCancel);
        QVERIFY(runner.cancelRequested());
        QVERIFY(visibleAfterCancel);
    }

    void cancelEndsAPauseOfTheWorkerAtOnce() {
        StopRequest stop;
        ProgressWindow window(nullptr, messages_);
        window.cancelWaitsWith(&stop);
        ScriptedRunner runner(messages_, [&](ScriptedRunner& r) {
            r.start("Reading Flash", "Read", 100);
            return stop.sleepMs(60000)
                       ? Outcome::Ok
                       : Outcome::Cancelled; // a page pause as long as a minute, cut by Cancel
        });
        QTimer::singleShot(100, &window, [&] { QTest::mouseClick(cancelButton(window), Qt::LeftButton); });
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(window.run(runner), Outcome::Cancelled);
        QVERIFY(timer.elapsed() < 1000);
        QVERIFY(stop.requested()); // the front end clears it once the window is gone
    }

    void enterDoesNothingAndEscapeCancels() {
        ProgressWindow window(nullptr, messages_);
        std::atomic<bool> release{false};
        ScriptedRunner runner(messages_, [&](ScriptedRunner& r) {
            while (!release && !r.cancelRequested()) std::this_thread::sleep_for(5ms);
            return r.cancelRequested() ? Outcome::Cancelled : Outcome::Ok;
        });
        bool visibleAfterEnter = false;
        bool cancelledByEnter = true;
        QTimer::singleShot(50, &window, [&] {
            QTest::keyClick(&window, Qt::Key_Return);
            QTest::keyClick(&window, Qt::Key_Enter);
            QTimer::singleShot(200, &window, [&] {
                visibleAfterEnter = window.isVisible();
                cancelledByEnter = runner.cancelRequested();
                QTest::keyClick(&window, Qt::Key_Escape);
            });
        });
        QCOMPARE(window.run(runner), Outcome::Cancelled);
        QVERIFY(visibleAfterEnter);
        QVERIFY(!cancelledByEnter);
    }

    void aQuickWorkerIsCollectedAtTheFirstTick() {
        ProgressWindow window(nullptr, messages_);
        ScriptedRunner runner(messages_, [](ScriptedRunner&) {
            std::this_thread::sleep_for(10ms);
            return Outcome::PollingFailed;
        });
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(window.run(runner), Outcome::PollingFailed);
        QVERIFY2(timer.elapsed() >= ProgressWindow::kDonePollMs - 10, "closes at the timer tick, not before");
        QVERIFY(timer.elapsed() < 2000);
    }

    void noCloseBoxAndTheCancelButtonCanBeHidden() {
        ProgressWindow window(nullptr, messages_);
        QVERIFY(!(window.windowFlags() & Qt::WindowCloseButtonHint));
        QCOMPARE(cancelButton(window)->text(), QStringLiteral("Cancel"));
        bool visible = true;
        ScriptedRunner runner(messages_, [&](ScriptedRunner& r) {
            r.hideCancel();
            visible = probe<bool>(window, [&] { return window.cancelVisible(); });
            return Outcome::Ok;
        });
        QCOMPARE(window.run(runner), Outcome::Ok);
        QVERIFY(!visible);
    }

    void theWindowIsInTheMessagesLanguage() {
        const Messages russian(Language::Russian);
        ProgressWindow window(nullptr, russian);
        QCOMPARE(cancelButton(window)->text(), QStringLiteral("Отмена"));
        QString percent;
        ScriptedRunner runner(russian, [&](ScriptedRunner& r) {
            r.start("t", "x", 10);
            r.setProgress(5);
            percent = probe<QString>(window, [&] { return window.percentText(); });
            return Outcome::Ok;
        });
        window.run(runner);
        QCOMPARE(percent, QStringLiteral("50% завершено"));
    }
};

QTEST_MAIN(ProgressWindowTest)
#include "progress_window_test.moc"
