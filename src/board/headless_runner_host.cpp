#include "board/headless_runner_host.h"

#include <chrono>

namespace tovel {

Outcome HeadlessRunnerHost::runModal(OperationRunner& runner) {
    {
        std::lock_guard lock(mutex_);
        cancelPending_ = false;
    }
    runner.setObserver(observer_);
    runner.watchStop(stop_);
    if (!runner.launch()) return OperationRunner::kNotStartedResult;

    using namespace std::chrono;
    auto nextTick = steady_clock::now() + milliseconds(kDonePollMs);
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait_until(lock, nextTick, [this] { return cancelPending_; });
        if (cancelPending_) {
            cancelPending_ = false;
            runner.requestCancel();
            continue; // a cancel does not end the wait for the worker
        }
        const bool stopping = stop_ != nullptr && stop_->requested();
        if (stopping) runner.requestCancel();
        if (runner.done()) break;
        // After a stop the end of the session should follow quickly.
        nextTick += milliseconds(stopping ? kStoppingPollMs : kDonePollMs);
    }
    lock.unlock();
    runner.join();
    return runner.result();
}

void HeadlessRunnerHost::requestCancel() {
    {
        std::lock_guard lock(mutex_);
        cancelPending_ = true;
    }
    wake_.notify_all();
}

} // namespace tovel
