// Runs an operation without a window: for the command line and the tests. It starts the worker,
// looks every 150 ms whether it has finished (as the progress window's timer does, so a worker
// that ends at once is still collected at the first tick), and forwards Cancel requests at once.
//
//   HeadlessRunnerHost host(&terminalProgress);
//   ui.runHook = [&](OperationRunner& r) { return host.runModal(r); };
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>

#include "board/operation_runner.h"

namespace tovel {

class ProgressObserver;

class HeadlessRunnerHost {
public:
    static constexpr unsigned kDonePollMs = 150;

    explicit HeadlessRunnerHost(ProgressObserver* observer = nullptr) : observer_(observer) {}

    // Runs `runner` to its end and returns its result code (kNotStartedResult when the worker
    // could not be started). Blocks the calling thread; one run at a time per host.
    int runModal(OperationRunner& runner);
    // The person's Cancel; safe from any thread. A request made while no run is in progress is
    // dropped when the next run starts.
    void requestCancel();
    // A flag (for example set by a SIGINT handler, which may only store to a lock-free atomic)
    // that is looked at on every tick and, when set, cancels the run. Null: none.
    void watchCancelFlag(const std::atomic<bool>* flag) { cancelFlag_ = flag; }

private:
    ProgressObserver* observer_;
    const std::atomic<bool>* cancelFlag_ = nullptr;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool cancelPending_ = false;
};

} // namespace tovel
