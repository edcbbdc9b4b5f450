#include "core/clock.h"

#include <chrono>
#include <thread>

namespace tovel {

namespace {

class SystemClock final : public Clock {
public:
    void sleepMs(unsigned milliseconds) override {
        if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
    std::uint64_t tickMs() override {
        using namespace std::chrono;
        return static_cast<std::uint64_t>(
            duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
    }
    std::uint64_t tickUs() override {
        using namespace std::chrono;
        return static_cast<std::uint64_t>(
            duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count());
    }
    void sleepUs(std::uint64_t microseconds) override {
        if (microseconds > 0) std::this_thread::sleep_for(std::chrono::microseconds(microseconds));
    }
};

} // namespace

Clock& systemClock() {
    static SystemClock clock;
    return clock;
}

} // namespace tovel
