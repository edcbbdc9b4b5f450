// A clock whose sleeps end early when a stop is requested: every pause of the board protocol and
// of the operations (a reset strobe of minutes, the "Special" pauses) then ends within
// milliseconds. Ticks come from the clock it wraps.
#pragma once

#include "core/clock.h"
#include "core/stop_request.h"

namespace tovel {

class StoppableClock final : public Clock {
public:
    StoppableClock(Clock& base, const StopRequest& stop) : base_(base), stop_(stop) {}

    void sleepMs(unsigned milliseconds) override {
        if (milliseconds > 0) (void)stop_.sleepMs(milliseconds);
    }
    std::uint64_t tickMs() override { return base_.tickMs(); }
    std::uint64_t tickUs() override { return base_.tickUs(); }
    void sleepUs(std::uint64_t microseconds) override {
        if (stop_.cuts()) return;
        if (microseconds >= 1000 && !stop_.sleepMs(static_cast<unsigned>(microseconds / 1000))) return;
        base_.sleepUs(microseconds % 1000);
    }

private:
    Clock& base_;
    const StopRequest& stop_;
};

} // namespace tovel
