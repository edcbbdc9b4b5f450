#include "support/test_clock.h"

namespace tovel::test {

void TestClock::sleepUs(std::uint64_t microseconds) {
    const auto ms = static_cast<unsigned>((microseconds + 999) / 1000);
    // Virtual time moves by what was recorded; real waits count exactly.
    pause(ms, virtual_ ? std::uint64_t{ms} * 1000 : microseconds);
}

void TestClock::pause(unsigned ms, std::uint64_t us) {
    const std::uint64_t stamp = mark ? mark() : 0;
    {
        std::lock_guard lock(mutex_);
        pauses_.push_back({ms, stamp});
    }
    waitedUs_ += us;
    if (virtual_) nowUs_ += us;
    if (onPause) onPause(ms);
}

std::vector<TestClock::Pause> TestClock::pauses() const {
    std::lock_guard lock(mutex_);
    return pauses_;
}

bool TestClock::pausedBetween(unsigned ms, std::uint64_t fromMark, std::uint64_t toMark) const {
    std::lock_guard lock(mutex_);
    for (const Pause& pause : pauses_)
        if (pause.ms == ms && pause.mark >= fromMark && pause.mark <= toMark) return true;
    return false;
}

} // namespace tovel::test
