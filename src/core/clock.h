// The one source of time for the core: the protocol's pauses and the millisecond tick.
// Tests may substitute a clock; production uses the system clock.
#pragma once

#include <cstdint>

namespace tovel {

class Clock {
public:
    virtual ~Clock() = default;
    virtual void sleepMs(unsigned milliseconds) = 0;
    virtual std::uint64_t tickMs() = 0;
    // Finer time for waits that are counted from a moment (a page write's delay is measured from
    // before its reply). Clocks without it fall back to whole milliseconds, rounded up.
    virtual std::uint64_t tickUs() { return tickMs() * 1000; }
    virtual void sleepUs(std::uint64_t microseconds) {
        sleepMs(static_cast<unsigned>((microseconds + 999) / 1000));
    }
};

// Monotonic time and real sleeps.
Clock& systemClock();

} // namespace tovel
