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
};

// Monotonic time and real sleeps.
Clock& systemClock();

} // namespace tovel
