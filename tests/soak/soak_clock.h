// The soak's clock: the protocol's pauses are added up instead of slept, so a run costs the time
// the board and the line take, not the fixed waits. Ticks are real time.
#pragma once

#include <atomic>
#include <cstdint>

#include "core/clock.h"

namespace tovel::soak {

class VirtualPauseClock final : public Clock {
public:
    void sleepMs(unsigned milliseconds) override { pausedUs_ += std::uint64_t{milliseconds} * 1000; }
    void sleepUs(std::uint64_t microseconds) override { pausedUs_ += microseconds; }
    std::uint64_t tickMs() override { return systemClock().tickMs(); }
    std::uint64_t tickUs() override { return systemClock().tickUs(); }
    std::uint64_t pausedMs() const { return pausedUs_.load() / 1000; }

private:
    std::atomic<std::uint64_t> pausedUs_{0};
};

} // namespace tovel::soak
