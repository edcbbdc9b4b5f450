#include "board/posix_serial_channel.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#if defined(__linux__)
#include <linux/serial.h>
#endif

namespace tovel {

namespace {

using SteadyClock = std::chrono::steady_clock;

speed_t speedFor(std::uint32_t baud, bool& known) {
    known = true;
    switch (baud) {
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    case 230400:
        return B230400;
#if defined(B460800)
    case 460800:
        return B460800;
#endif
#if defined(B921600)
    case 921600:
        return B921600;
#endif
    default:
        known = false;
        return B0;
    }
}

// Milliseconds left until `deadline`, rounded up (so a wait never ends early), never negative.
int msUntil(SteadyClock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - SteadyClock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// A USB serial driver holds short replies back for its latency timer unless told otherwise.
// Terminals that do not support the request (pseudo-terminals, some drivers) are left as they are.
void requestLowLatency(int fd) {
#if defined(__linux__) && defined(ASYNC_LOW_LATENCY)
    serial_struct serial{};
    if (::ioctl(fd, TIOCGSERIAL, &serial) == 0) {
        serial.flags |= ASYNC_LOW_LATENCY;
        (void)::ioctl(fd, TIOCSSERIAL, &serial);
    }
#else
    (void)fd;
#endif
}

void holdModemLinesInactive(int fd) {
    int lines = TIOCM_DTR | TIOCM_RTS;
    (void)::ioctl(fd, TIOCMBIC, &lines); // not supported on pseudo-terminals: nothing to clear there
}

} // namespace

PosixSerialChannel::PosixSerialChannel(const PortMap& ports, unsigned timeoutMs)
    : ports_(ports), timeoutMs_(timeoutMs), rxBuffer_(new std::uint8_t[kReceiveBufferSize]) {}

PosixSerialChannel::~PosixSerialChannel() {
    closePort();
    status_ = channel_status::NotInitialized;
}

bool PosixSerialChannel::openPort(int portIndex, std::uint32_t baud) {
    closePort();
    portIndex_ = portIndex;
    const std::string path = ports_.pathFor(portIndex + 1);
    return openDevice(path, baud);
}

bool PosixSerialChannel::openPath(const std::string& path, std::uint32_t baud) {
    closePort();
    portIndex_ = -1;
    return openDevice(path, baud);
}

bool PosixSerialChannel::openDevice(const std::string& path, std::uint32_t baud) {
    baud_ = baud;
    connected_ = false;
    status_ = channel_status::Connecting;
    if (path.empty()) {
        status_ = channel_status::OpenFailed;
        return false;
    }
    // Non-blocking so that the open does not wait for a carrier; reads and writes wait in poll().
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) {
        status_ = channel_status::OpenFailed;
        return false;
    }
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd_);
        fd_ = -1;
        status_ = channel_status::OpenFailed;
        return false;
    }
    (void)::ioctl(fd_, TIOCEXCL);
    if (!applyLineSettings(baud)) {
        (void)::ioctl(fd_, TIOCNXCL);
        ::close(fd_);
        fd_ = -1;
        status_ = channel_status::SettingsRefused;
        return false;
    }
    holdModemLinesInactive(fd_);
    requestLowLatency(fd_);
    connected_ = true;
    status_ = channel_status::ConnectOk;
    return true;
}

bool PosixSerialChannel::applyLineSettings(std::uint32_t baud) {
    bool known = false;
    const speed_t speed = speedFor(baud, known);
    termios settings{};
    if (!known || ::tcgetattr(fd_, &settings) != 0) return false;
    ::cfmakeraw(&settings);
    settings.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS | HUPCL);
    settings.c_cflag |= CS8 | CREAD | CLOCAL;
    settings.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY | INPCK | ISTRIP | IGNPAR | PARMRK);
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
    if (::cfsetispeed(&settings, speed) != 0 || ::cfsetospeed(&settings, speed) != 0) return false;
    if (::tcsetattr(fd_, TCSANOW, &settings) != 0) return false;
    // tcsetattr succeeds when any part was applied: check that the speed took.
    termios applied{};
    return ::tcgetattr(fd_, &applied) == 0 && ::cfgetospeed(&applied) == speed;
}

bool PosixSerialChannel::closePort() {
    status_ = channel_status::Disconnecting;
    if (connected_ || fd_ >= 0) {
        connected_ = false;
        (void)::ioctl(fd_, TIOCNXCL); // another holder of the device must not inherit our exclusivity
        ::close(fd_);
        fd_ = -1;
    }
    status_ = channel_status::DisconnectOk;
    return true;
}

bool PosixSerialChannel::writeCall(const std::uint8_t* bytes, std::size_t count, std::size_t& written) {
    written = 0;
    const auto deadline = SteadyClock::now() + std::chrono::milliseconds(timeoutMs_);
    while (written < count) {
        const ssize_t n = ::write(fd_, bytes + written, count - written);
        if (n > 0) {
            written += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return false;
        pollfd entry{fd_, POLLOUT, 0};
        const int left = msUntil(deadline);
        if (left == 0) return false;
        const int ready = ::poll(&entry, 1, left);
        if (ready < 0 && errno != EINTR) return false;
        if (ready > 0 && (entry.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) return false;
    }
    return true;
}

bool PosixSerialChannel::send(const std::uint8_t* bytes, std::size_t count) {
    status_ = channel_status::Sending;
    if (!connected_) {
        status_ = channel_status::SendNotConnected;
        return false;
    }
    // Every command starts on an idle line.
    while (::tcdrain(fd_) != 0 && errno == EINTR) {
    }
    std::size_t written = 0;
    if (!writeCall(bytes, count, written)) {
        // One retry, with what did not go out: bytes already on the line must not be sent twice.
        std::size_t more = 0;
        const bool retried = writeCall(bytes + written, count - written, more);
        written += more;
        if (!retried) {
            status_ = channel_status::SendIoError;
            return false;
        }
    }
    if (written < count) {
        status_ = channel_status::SendIoError;
        return false;
    }
    status_ = channel_status::SendOk;
    return true;
}

bool PosixSerialChannel::sendByte(std::uint8_t byte) { return send(&byte, 1); }

bool PosixSerialChannel::sendBytes(const std::uint8_t* bytes, std::size_t count) {
    if (bytes == nullptr && count > 0) {
        status_ = connected_ ? channel_status::SendIoError : channel_status::SendNotConnected;
        return false;
    }
    return send(bytes, count);
}

long PosixSerialChannel::readCall(std::uint8_t* into, std::size_t max) {
    const auto deadline = SteadyClock::now() + std::chrono::milliseconds(timeoutMs_);
    bool hungUp = false;
    for (;;) {
        const ssize_t n = ::read(fd_, into, max);
        if (n > 0) return static_cast<long>(n);
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return -1;
        // A device that went away (adapter unplugged) reports it to poll at once: what it still
        // had was taken by the read above, and waiting on would only spin.
        if (hungUp) return -1;
        const int left = msUntil(deadline);
        if (left == 0) return 0;
        pollfd entry{fd_, POLLIN, 0};
        const int ready = ::poll(&entry, 1, left);
        if (ready < 0 && errno != EINTR) return -1;
        if (ready > 0 && (entry.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) hungUp = true;
    }
}

const std::uint8_t* PosixSerialChannel::receive(std::size_t count) {
    status_ = channel_status::Receiving;
    if (!connected_) {
        status_ = channel_status::ReceiveNotConnected;
        return nullptr;
    }
    if (count > kReceiveBufferSize) {
        status_ = channel_status::ReceiveIoError;
        return nullptr;
    }
    std::size_t offset = 0;
    while (offset < count) {
        const long got = readCall(rxBuffer_.get() + offset, count - offset);
        if (got <= 0) {
            status_ = channel_status::ReceiveIoError;
            return nullptr;
        }
        offset += static_cast<std::size_t>(got);
    }
    status_ = channel_status::ReceiveOk;
    return rxBuffer_.get();
}

int PosixSerialChannel::receiveByte() {
    status_ = channel_status::ReceivingByte;
    if (!connected_) {
        status_ = channel_status::ReceiveByteNotConnected;
        return kClosed;
    }
    std::uint8_t byte = 0;
    return readCall(&byte, 1) == 1 ? byte : -1;
}

} // namespace tovel
