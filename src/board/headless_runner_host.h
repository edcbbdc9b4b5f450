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
#include "core/stop_request.h"

namespace tovel {

class ProgressObserver;

class HeadlessRunnerHost {
public:
    static constexpr unsigned kDonePollMs = 150;
    static constexpr unsigned kStoppingPollMs = 10;

    explicit HeadlessRunnerHost(ProgressObserver* observer = nullptr) : observer_(observer) {}

    // Runs `runner` to its end and returns its outcome (kNotStartedResult when the worker
    // could not be started). Blocks the calling thread; one run at a time per host.
    Outcome runModal(OperationRunner& runner);
    // The person's Cancel; safe from any thread. A request made while no run is in progress is
    // dropped when the next run starts.
    void requestCancel();
    // A stop request (for example raised by a SIGINT handler) that cancels the run: the worker
    // sees it at once through `cancelRequested`, and its cut waits end the run within
    // milliseconds, which the host then collects without waiting for a whole tick. Null: none.
    void watchStop(const StopRequest* stop) { stop_ = stop; }

private:
    ProgressObserver* observer_;
    const StopRequest* stop_ = nullptr;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool cancelPending_ = false;
};

} // namespace tovel
