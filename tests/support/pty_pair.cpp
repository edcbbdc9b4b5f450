#include "support/pty_pair.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

namespace tovel::test {

PtyPair::PtyPair() {
    char name[256] = {};
    if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0) {
        master_ = slave_ = -1;
        return;
    }
    slavePath_ = name;
    // Raw from the start, so bytes written before the program configures the port arrive intact.
    termios raw{};
    ::tcgetattr(slave_, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(slave_, TCSANOW, &raw);
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
}

PtyPair::~PtyPair() {
    if (slave_ >= 0) ::close(slave_);
    if (master_ >= 0) ::close(master_);
}

bool PtyPair::write(const std::vector<std::uint8_t>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN) {
            // The line is full until the program reads: wait for room rather than spin.
            pollfd entry{master_, POLLOUT, 0};
            if (::poll(&entry, 1, 5000) <= 0) return false;
            continue;
        }
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::vector<std::uint8_t> PtyPair::read(unsigned timeoutMs, unsigned settleMs) {
    std::vector<std::uint8_t> out;
    unsigned wait = timeoutMs;
    for (;;) {
        pollfd entry{master_, POLLIN, 0};
        if (::poll(&entry, 1, static_cast<int>(wait)) <= 0) return out;
        std::uint8_t chunk[4096];
        const ssize_t n = ::read(master_, chunk, sizeof chunk);
        if (n <= 0) return out;
        out.insert(out.end(), chunk, chunk + n);
        wait = settleMs;
    }
}

void PtyPair::hangUp() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
}

termios PtyPair::settings() const {
    termios t{};
    ::tcgetattr(slave_, &t);
    return t;
}

} // namespace tovel::test
