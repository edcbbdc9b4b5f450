// The operation runner and its headless host: percent rule, Cancel, result codes, the 150 ms tick.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

#include "board/headless_runner_host.h"
#include "board/operation_runner.h"
#include "support/recording_progress.h"

namespace tovel {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

class LambdaRunner final : public OperationRunner {
public:
    LambdaRunner(const Messages& messages, std::function<Outcome(LambdaRunner&)> body)
        : OperationRunner(messages), body_(std::move(body)) {}
    using OperationRunner::hideCancel;
    using OperationRunner::setProgress;
    using OperationRunner::start;

protected:
    Outcome run() override { return body_(*this); }

private:
    std::function<Outcome(LambdaRunner&)> body_;
};

class RunnerTest : public ::testing::Test {
protected:
    Messages messages;
    test::RecordingProgress progress;
    HeadlessRunnerHost host{&progress};
};

TEST_F(RunnerTest, PercentChangesOnlyWhenTheWholePercentDoes) {
    std::vector<std::string> after30;
    LambdaRunner runner(messages, [&](LambdaRunner& r) {
        r.start("Update", "Updating firmware version", 3072);
        for (long g = 0; g <= 30; ++g) r.setProgress(g);
        after30 = progress.events();
        for (long g = 31; g < 3072; ++g) r.setProgress(g);
        return Outcome::Ok;
    });
    EXPECT_EQ(host.runModal(runner), Outcome::Ok);
    EXPECT_EQ(after30, (std::vector<std::string>{"title Update", "text Updating firmware version", "bar 0"}));
    const std::vector<std::string> events = progress.events();
    ASSERT_GE(events.size(), 5u);
    EXPECT_EQ(events[3], "percent 1% completed");
    EXPECT_EQ(events[4], "bar 1");
    // 99 percent steps (1..99; 3071 * 100 / 3072 is 99), each a label and a bar update.
    EXPECT_EQ(events.size(), 3u + 2u * 99u);
    EXPECT_EQ(events.back(), "bar 99");
}

TEST_F(RunnerTest, AtMost101UpdatesWhateverTheUnitCount) {
    LambdaRunner runner(messages, [](LambdaRunner& r) {
        r.start("t", "x", 1000000);
        for (long i = 0; i <= 1000000; ++i) r.setProgress(i);
        return Outcome::Ok;
    });
    host.runModal(runner);
    const auto events = progress.events();
    EXPECT_EQ(std::count_if(events.begin(), events.end(),
                            [](const std::string& e) { return e.rfind("bar ", 0) == 0; }),
              101);
}

TEST_F(RunnerTest, ZeroTotalTurnsProgressOff) {
    LambdaRunner runner(messages, [](LambdaRunner& r) {
        r.start("t", "x", 0);
        for (long i = 0; i < 50; ++i) r.setProgress(i);
        r.hideCancel();
        return Outcome::Failed;
    });
    EXPECT_EQ(host.runModal(runner), Outcome::Failed);
    EXPECT_EQ(progress.events(), (std::vector<std::string>{"title t", "text x", "bar 0", "cancel hidden"}));
}

TEST_F(RunnerTest, CancelReturnsTheWorkersOwnCode) {
    std::atomic<bool> running{false};
    LambdaRunner runner(messages, [&](LambdaRunner& r) {
        running = true;
        while (!r.cancelRequested()) std::this_thread::sleep_for(milliseconds(5));
        return Outcome::Cancelled;
    });
    std::thread person([&] {
        while (!running) std::this_thread::sleep_for(milliseconds(5));
        EXPECT_EQ(runner.result(), Outcome::Ok);
        host.requestCancel();
    });
    EXPECT_EQ(host.runModal(runner), Outcome::Cancelled);
    person.join();
    EXPECT_TRUE(runner.cancelRequested());
}

TEST_F(RunnerTest, ResultReadsCancelUntilTheWorkerEnds) {
    std::atomic<bool> release{false};
    LambdaRunner runner(messages, [&](LambdaRunner&) {
        while (!release) std::this_thread::sleep_for(milliseconds(2));
        return Outcome::Ok;
    });
    ASSERT_TRUE(runner.launch());
    runner.requestCancel();
    EXPECT_EQ(runner.result(), OperationRunner::kCancelResult);
    release = true;
    runner.join();
    EXPECT_EQ(runner.result(), Outcome::Ok); // the worker ignored the request: its code stands
    runner.requestCancel();                  // a late Cancel does not turn a finished operation into a stop
    EXPECT_EQ(runner.result(), Outcome::Ok);
}

TEST_F(RunnerTest, AStopRequestCancelsTheWorkerAtOnce) {
    StopRequest stop;
    host.watchStop(&stop);
    LambdaRunner runner(messages, [&](LambdaRunner& r) {
        stop.raise(); // as a SIGINT handler would, from anywhere
        // The worker sees the stop itself; a pause that watches it ends at once.
        EXPECT_TRUE(r.cancelRequested());
        EXPECT_FALSE(stop.sleepMs(60000));
        return Outcome::Cancelled;
    });
    const auto begin = Clock::now();
    EXPECT_EQ(host.runModal(runner), Outcome::Cancelled);
    EXPECT_LT(std::chrono::duration_cast<milliseconds>(Clock::now() - begin).count(), 250); // one tick
}

TEST(StopRequestTest, AFirstRequestSparesTheEndingOfASessionAndAnUrgentOneDoesNot) {
    StopRequest stop;
    stop.raise();
    EXPECT_TRUE(stop.requested());
    {
        const StopRequest::Ending ending(&stop, StopRequest::Shield::FirstRequest);
        const auto begin = Clock::now();
        EXPECT_TRUE(stop.sleepMs(30)); // runs its course
        EXPECT_GE(std::chrono::duration_cast<milliseconds>(Clock::now() - begin).count(), 30);
        stop.raise();
        EXPECT_TRUE(stop.urgent());
        EXPECT_FALSE(stop.sleepMs(60000));
        {
            const StopRequest::Ending upload(&stop, StopRequest::Shield::Everything);
            EXPECT_TRUE(stop.unstoppable());
            EXPECT_EQ(stop.wakeFd(), -1);
            EXPECT_TRUE(stop.sleepMs(5));
        }
        EXPECT_FALSE(stop.unstoppable());
    }
    stop.clear();
    EXPECT_FALSE(stop.requested());
    EXPECT_TRUE(stop.sleepMs(1));
}

TEST_F(RunnerTest, AFastWorkerIsCollectedAtTheFirstTick) {
    LambdaRunner runner(messages, [](LambdaRunner&) { return Outcome::PollingFailed; });
    const auto begin = Clock::now();
    EXPECT_EQ(host.runModal(runner), Outcome::PollingFailed);
    const auto took = std::chrono::duration_cast<milliseconds>(Clock::now() - begin).count();
    EXPECT_GE(took, 150);
    EXPECT_LT(took, 400);
}

TEST_F(RunnerTest, ARunnerRunsOnce) {
    LambdaRunner runner(messages, [](LambdaRunner&) { return Outcome::Ok; });
    EXPECT_EQ(host.runModal(runner), Outcome::Ok);
    EXPECT_EQ(host.runModal(runner), OperationRunner::kNotStartedResult);
}

TEST_F(RunnerTest, RecordingUiWithoutAHostCannotStartAWorker) {
    test::RecordingUi ui;
    LambdaRunner runner(messages, [](LambdaRunner&) { return Outcome::Ok; });
    EXPECT_EQ(ui.runModal(runner), OperationRunner::kNotStartedResult);
    test::HeadlessRunning headless(ui);
    EXPECT_EQ(ui.runModal(runner), Outcome::Ok);
}

} // namespace
} // namespace tovel
