#include "core/stop_request.h"

#include <algorithm>
#include <cerrno>
#include <chrono>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace tovel {

namespace {

void openPipe(int (&fds)[2]) {
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) fds[0] = fds[1] = -1;
}

void closePipe(int (&fds)[2]) {
    for (int& fd : fds) {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
}

void drain(int fd) {
    char sink[16];
    while (fd >= 0 && ::read(fd, sink, sizeof sink) > 0) {
    }
}

} // namespace

StopRequest::StopRequest() {
    openPipe(firstPipe_);
    openPipe(urgentPipe_);
}

StopRequest::~StopRequest() {
    closePipe(firstPipe_);
    closePipe(urgentPipe_);
}

void StopRequest::raise() noexcept {
    const int saved = errno;
    const int level = level_.fetch_add(1) + 1;
    // One byte makes the pipe readable for good; the pipe never fills.
    if (level == 1 && firstPipe_[1] >= 0) (void)!::write(firstPipe_[1], "!", 1);
    if (level == 2 && urgentPipe_[1] >= 0) (void)!::write(urgentPipe_[1], "!", 1);
    errno = saved;
}

void StopRequest::clear() {
    level_.store(0);
    drain(firstPipe_[0]);
    drain(urgentPipe_[0]);
}

bool StopRequest::cuts() const { return level_.load() > shield_.load(); }

int StopRequest::wakeFd() const {
    switch (shield_.load()) {
    case static_cast<int>(Shield::None):
        return firstPipe_[0];
    case static_cast<int>(Shield::FirstRequest):
        return urgentPipe_[0];
    default:
        return -1;
    }
}

bool StopRequest::sleepMs(unsigned ms) const {
    using Steady = std::chrono::steady_clock;
    const auto deadline = Steady::now() + std::chrono::milliseconds(ms);
    for (;;) {
        if (cuts()) return false;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Steady::now()).count();
        if (left <= 0) return true;
        pollfd entry{wakeFd(), POLLIN, 0};
        // poll() ignores a negative descriptor and simply sleeps.
        const int ready = ::poll(&entry, 1, static_cast<int>(std::min<long long>(left, 1 << 30)));
        if (ready < 0 && errno != EINTR) return !cuts();
    }
}

StopRequest::Ending::Ending(StopRequest* stop, Shield shield) : stop_(stop) {
    if (stop_ == nullptr) return;
    previous_ = stop_->shield_.load();
    stop_->shield_.store(std::max(previous_, static_cast<int>(shield)));
}

StopRequest::Ending::~Ending() {
    if (stop_ != nullptr) stop_->shield_.store(previous_);
}

} // namespace tovel
