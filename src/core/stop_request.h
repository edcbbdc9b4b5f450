// A request to stop, from the person (Ctrl-C, SIGTERM, SIGHUP, a Cancel) to whatever the program
// is waiting for: a pause, a read from the board. Waits that watch it end within a few
// milliseconds instead of running their course.
//
// Two steps. The first request stops the operation at its next safe point; the board session is
// then still ended properly, so the waits of that ending are shielded from the first request (an
// `Ending` scope). A second request is urgent: it cuts those waits too, and the session is ended
// briskly (see BoardSession::recoverBoard).
//
// `raise` only stores to a lock-free atomic and writes to a pipe, so a signal handler may call
// it. Waiting happens in poll() on `wakeFd`, never by spinning.
#pragma once

#include <atomic>

namespace tovel {

class StopRequest {
public:
    // What a wait lets cut it short.
    enum class Shield : int {
        None = 0,       // any request (an operation's pauses and reads)
        FirstRequest,   // only an urgent one (the proper end of a session)
        Everything = 2, // nothing (the firmware upload, which must not stop half-way)
    };

    StopRequest();
    ~StopRequest();
    StopRequest(const StopRequest&) = delete;
    StopRequest& operator=(const StopRequest&) = delete;

    // One more request: the first asks to stop, any later one makes it urgent. Async-signal-safe.
    void raise() noexcept;
    // Back to no request, for a front end that goes on after a Cancel.
    void clear();

    bool requested() const { return level_.load() >= 1; }
    bool urgent() const { return level_.load() >= 2; }
    // Whether waits are now shielded from everything (a signal handler reads it to know that
    // the process must not be ended under the running step).
    bool unstoppable() const { return shield_.load() >= static_cast<int>(Shield::Everything); }

    // Whether a wait at the current shield should end now.
    bool cuts() const;
    // The descriptor that becomes readable when a wait at the current shield should end; -1 when
    // nothing can end it.
    int wakeFd() const;
    // Sleeps `ms` milliseconds unless cut short first. False when cut short.
    bool sleepMs(unsigned ms) const;

    // Raises the shield for the life of the scope (never lowers it).
    class Ending {
    public:
        Ending(StopRequest* stop, Shield shield);
        ~Ending();
        Ending(const Ending&) = delete;
        Ending& operator=(const Ending&) = delete;

    private:
        StopRequest* stop_;
        int previous_ = 0;
    };

private:
    std::atomic<int> level_{0};
    std::atomic<int> shield_{0};
    // One pipe per level: readable once that level has been reached.
    int firstPipe_[2] = {-1, -1};
    int urgentPipe_[2] = {-1, -1};
};

static_assert(std::atomic<int>::is_always_lock_free, "a signal handler stores to it");

} // namespace tovel
