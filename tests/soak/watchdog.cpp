#include "soak/watchdog.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace tovel::soak {

Watchdog::Watchdog() : thread_([this] { watch(); }) {}

Watchdog::~Watchdog() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void Watchdog::arm(std::uint64_t boundMs, std::string what) {
    {
        std::lock_guard lock(mutex_);
        armed_ = true;
        ++generation_;
        boundMs_ = boundMs;
        what_ = std::move(what);
    }
    wake_.notify_all();
}

void Watchdog::disarm() {
    {
        std::lock_guard lock(mutex_);
        armed_ = false;
        ++generation_;
    }
    wake_.notify_all();
}

void Watchdog::watch() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || armed_; });
        if (stopping_) return;
        const std::uint64_t generation = generation_;
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(hangAfterMs(boundMs_));
        const bool ended =
            wake_.wait_until(lock, deadline, [&] { return stopping_ || generation_ != generation; });
        if (ended) continue;
        std::fprintf(stderr, "\nHANG: %s has not ended %llu ms after its bound of %llu ms\n", what_.c_str(),
                     static_cast<unsigned long long>(hangAfterMs(boundMs_) - boundMs_),
                     static_cast<unsigned long long>(boundMs_));
        std::fflush(stderr);
        std::_Exit(3);
    }
}

} // namespace tovel::soak
