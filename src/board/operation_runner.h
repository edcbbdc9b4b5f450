// The frame a long board transfer runs in: a worker thread that runs the operation while the
// caller's thread waits in a front end's modal progress display, with a percentage, a cooperative
// Cancel and the worker's outcome handed back.
//
// Each operation derives from OperationRunner, adds its parameters and supplies `run`. The caller
// opens the board session before and ends it after; the worker only exchanges commands on it.
// A runner is used for one operation only:
//
//   MyOperation op(...);                 // the handler, on the caller's thread
//   Outcome result = ui.runModal(op);    // the front end hosts it (see HeadlessRunnerHost)
//   if (op.cancelRequested()) ...        // a stop by the person rather than a failure
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "core/outcome.h"
#include "core/stop_request.h"
#include "i18n/messages.h"

#include <pthread.h>

namespace tovel {

class ProgressObserver;

class OperationRunner {
public:
    // What a host returns when Cancel came before the worker ended, or the worker could not be
    // started (a failure: nothing was done).
    static constexpr Outcome kCancelResult = Outcome::Cancelled;
    static constexpr Outcome kNotStartedResult = Outcome::Failed;

    explicit OperationRunner(const Messages& messages) : messages_(messages) {}
    virtual ~OperationRunner();
    OperationRunner(const OperationRunner&) = delete;
    OperationRunner& operator=(const OperationRunner&) = delete;

    // --- For the host (the front end's progress display), on the caller's thread ---

    // Where the progress goes; null (the default) drops it. Set before `launch`.
    void setObserver(ProgressObserver* observer) { observer_ = observer; }
    // Starts the worker one priority step above normal where the system permits. False when no
    // thread could be created: `run` then never runs and the host returns kNotStartedResult.
    bool launch();
    // True once `run` has returned.
    bool done() const { return done_.load(); }
    // A stop request that counts as Cancel (the worker sees it in `cancelRequested`). Set before
    // `launch`; null: none.
    void watchStop(const StopRequest* stop) { stop_ = stop; }
    // Cancel from the person: sets `cancelRequested`; until the worker ends the result reads
    // kCancelResult, and the worker's own code replaces it when `run` returns.
    void requestCancel();
    // Waits for the worker thread to end (after `done`, this is immediate).
    void join();
    // The outcome as the progress display holds it now.
    Outcome result() const;

    // --- For the worker and, afterwards, the caller ---

    bool cancelRequested() const {
        return cancelRequested_.load() || (stop_ != nullptr && stop_->requested());
    }

protected:
    // The worker: runs on its own thread and returns the operation's outcome.
    virtual Outcome run() = 0;

    // Called by `run`: title, one-line text and the count of units that means 100 %
    // (0 turns the percentage off). Resets the percentage to 0.
    void start(const std::string& title, const std::string& text, long total);
    // `done` units of the total are finished (callers pass the index of the unit just finished).
    // The display changes only when the whole percent changes: at most 101 updates a run.
    void setProgress(long done);
    // For operations that cannot be stopped.
    void hideCancel();

    const Messages& messages() const { return messages_; }

private:
    static void* threadMain(void* self);
    void workerBody();

    const Messages& messages_;
    ProgressObserver* observer_ = nullptr;
    const StopRequest* stop_ = nullptr;
    long total_ = 0;
    int lastPercent_ = 0;
    std::string lastPercentText_;

    std::atomic<bool> done_{false};
    std::atomic<bool> cancelRequested_{false};
    std::atomic<Outcome> workerResult_{Outcome::Ok};
    pthread_t thread_{};
    bool threadRunning_ = false;
};

} // namespace tovel
