// Guards one soak run from the outside. A run that goes past its bound is failed by the caller
// (it compares the time taken); a run that is still going long after its bound has hung, and
// then the watchdog prints what it was doing and ends the process, since a hung thread cannot
// be taken back.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

namespace tovel::soak {

class Watchdog {
public:
    Watchdog();
    ~Watchdog();
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

    // Arms the watchdog for a run that must end within `boundMs`; `what` says how to replay it.
    void arm(std::uint64_t boundMs, std::string what);
    void disarm();

    // How long past its bound a run may go before it counts as hung.
    static std::uint64_t hangAfterMs(std::uint64_t boundMs) { return 2 * boundMs + 20000; }

private:
    void watch();

    std::mutex mutex_;
    std::condition_variable wake_;
    bool armed_ = false;
    bool stopping_ = false;
    std::uint64_t generation_ = 0;
    std::uint64_t boundMs_ = 0;
    std::string what_;
    std::thread thread_;
};

} // namespace tovel::soak
