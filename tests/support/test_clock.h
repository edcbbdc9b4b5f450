// The clock of every test bench: the waits the program asks for are recorded and added up,
// never slept. Time itself is real, unless the clock keeps virtual time, which then moves only
// by the waits (and by `advance`), so that a test can assert exact durations.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <utility>
#include <vector>

#include "core/clock.h"

namespace tovel::test {

class TestClock final : public Clock {
public:
    enum class Time { Real, Virtual };

    struct Pause {
        unsigned ms;
        std::uint64_t mark; // what `mark` returned when the pause began (0 without one)
    };

    explicit TestClock(Time time = Time::Real, std::function<void(unsigned)> pauseHook = {})
        : onPause(std::move(pauseHook)), virtual_(time == Time::Virtual) {}

    void sleepMs(unsigned milliseconds) override { pause(milliseconds, std::uint64_t{milliseconds} * 1000); }
    // Recorded in whole milliseconds, rounded up, as a clock without finer sleeps would wait.
    void sleepUs(std::uint64_t microseconds) override;
    std::uint64_t tickMs() override { return tickUs() / 1000; }
    std::uint64_t tickUs() override { return virtual_ ? nowUs_.load() : systemClock().tickUs(); }

    // Virtual time only: time that passes without a wait of the program's (a read time-out).
    void advance(std::uint64_t ms) { nowUs_ += ms * 1000; }

    // Called as each pause begins: its value is recorded with the pause (e.g. the bytes sent by then).
    std::function<std::uint64_t()> mark;
    // Called with each pause's milliseconds (e.g. to write it into a wire log).
    std::function<void(unsigned)> onPause;

    std::vector<Pause> pauses() const;
    std::uint64_t waitedUs() const { return waitedUs_.load(); }
    std::uint64_t waitedMs() const { return waitedUs() / 1000; }
    void reset() { waitedUs_ = 0; }
    // Whether a pause of `ms` began with a mark in [fromMark, toMark].
    bool pausedBetween(unsigned ms, std::uint64_t fromMark, std::uint64_t toMark) const;
    bool pausedAfter(unsigned ms, std::uint64_t at) const { return pausedBetween(ms, at, at); }

private:
    void pause(unsigned ms, std::uint64_t us);

    const bool virtual_;
    std::atomic<std::uint64_t> nowUs_{0};
    std::atomic<std::uint64_t> waitedUs_{0};
    mutable std::mutex mutex_;
    std::vector<Pause> pauses_;
};

} // namespace tovel::test
