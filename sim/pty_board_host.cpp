#include "sim/pty_board_host.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>

#include "sim/board_model.h"
#include "sim/byte_log.h"
#include "sim/chip_factory.h"
#include "sim/state_file.h"

namespace tovel::sim {

namespace {

// Without open/close notification, reads on the master fail at once while no slave is open;
// then look again this often.
constexpr int kClosedRetryMs = 10;
// The state file is saved once the line has been quiet this long after a change.
constexpr std::uint64_t kSaveQuietUs = 300'000;

int baudOfSpeed(speed_t speed) {
    struct Entry {
        speed_t speed;
        int baud;
    };
    static constexpr Entry kSpeeds[] = {
        {B0, 0},           {B300, 300},         {B600, 600},         {B1200, 1200},       {B2400, 2400},
        {B4800, 4800},     {B9600, 9600},       {B19200, 19200},     {B38400, 38400},     {B57600, 57600},
        {B115200, 115200}, {B230400, 230400},   {B460800, 460800},   {B500000, 500000},   {B576000, 576000},
        {B921600, 921600}, {B1000000, 1000000}, {B1152000, 1152000}, {B1500000, 1500000}, {B2000000, 2000000},
    };
    for (const Entry& e : kSpeeds)
        if (e.speed == speed) return e.baud;
    return 0;
}

void closeFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

} // namespace

struct PtyBoardHost::Impl {
    SimOptions options;
    std::string error;
    std::string slavePath;
    bool linked = false;
    int master = -1;
    int wakeRead = -1;
    int wakeWrite = -1;
    // The simulator holds the slave open itself, so the master never reads EIO, and learns of the
    // host's opens and closes from inotify. Without inotify it falls back to polling for EIO.
    int holdSlave = -1;
    int watch = -1;
    int hostOpens = 0;
    bool slaveOpen = false; // fallback mode only
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    std::thread thread;
    std::atomic<bool> stopping{false};

    mutable std::mutex mutex; // guards everything below
    std::unique_ptr<BoardModel> model;
    std::deque<Transmission> scheduled;
    std::vector<std::uint8_t> unwritten;
    std::uint64_t fromHost = 0;
    bool dirty = false;
    std::uint64_t lastInputUs = 0;
    mutable std::condition_variable idle;

    std::FILE* logFile = nullptr;
    std::unique_ptr<ByteLogWriter> logWriter;

    std::uint64_t nowUs() const {
        return static_cast<std::uint64_t>(
            std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start)
                .count());
    }

    bool open();
    void run();
    void wake() const {
        const char byte = 1;
        [[maybe_unused]] ssize_t n = ::write(wakeWrite, &byte, 1);
    }
    int hostBaud() const {
        termios t{};
        if (tcgetattr(master, &t) != 0) return 0;
        return baudOfSpeed(cfgetospeed(&t));
    }
    bool readInput();
    void writeDue();
    void hostClosed();
    void watchOpenAndClose();
    void handleOpenCloseEvents();
    bool hostPresent() const { return watch >= 0 ? hostOpens > 0 : slaveOpen; }
    void saveIfDirty(bool force);
    bool isIdleLocked() const;
};

bool PtyBoardHost::Impl::open() {
    master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        error = std::string("cannot create a pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    char name[128];
    if (ptsname_r(master, name, sizeof name) != 0) {
        error = std::string("cannot name the pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    slavePath = name;
    // A raw line at the board's idle speed until the host sets its own.
    termios t{};
    if (tcgetattr(master, &t) == 0) {
        cfmakeraw(&t);
        cfsetispeed(&t, B19200);
        cfsetospeed(&t, B19200);
        tcsetattr(master, TCSANOW, &t);
    }
    int pipeFds[2];
    if (pipe2(pipeFds, O_NONBLOCK | O_CLOEXEC) != 0) {
        error = std::string("cannot create a pipe: ") + std::strerror(errno);
        return false;
    }
    wakeRead = pipeFds[0];
    wakeWrite = pipeFds[1];

    watchOpenAndClose();

    if (!options.linkPath.empty()) {
        struct stat st {};
        if (lstat(options.linkPath.c_str(), &st) == 0) {
            if (!S_ISLNK(st.st_mode)) {
                error = "refusing to replace " + options.linkPath + ": not a symbolic link";
                return false;
            }
            ::unlink(options.linkPath.c_str());
        }
        if (::symlink(slavePath.c_str(), options.linkPath.c_str()) != 0) {
            error = "cannot link " + options.linkPath + ": " + std::strerror(errno);
            return false;
        }
        linked = true;
    }
    if (!options.logFile.empty()) {
        logFile = std::fopen(options.logFile.c_str(), "w");
        if (logFile == nullptr) {
            error = "cannot write the log " + options.logFile + ": " + std::strerror(errno);
            return false;
        }
        logWriter = std::make_unique<ByteLogWriter>(logFile);
        model->setLogSink([this](const LoggedByte& entry) { logWriter->write(entry); });
    }
    return true;
}

void PtyBoardHost::Impl::watchOpenAndClose() {
    holdSlave = ::open(slavePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (holdSlave >= 0 && watch >= 0 &&
        inotify_add_watch(watch, slavePath.c_str(), IN_OPEN | IN_CLOSE_WRITE | IN_CLOSE_NOWRITE) >= 0)
        return;
    closeFd(holdSlave);
    closeFd(watch);
}

void PtyBoardHost::Impl::handleOpenCloseEvents() {
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(watch, buffer, sizeof buffer);
        if (n <= 0) return;
        for (ssize_t offset = 0; offset < n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + offset);
            if ((event->mask & IN_Q_OVERFLOW) != 0) hostOpens = 1; // events lost: assume the host is there
            if ((event->mask & IN_OPEN) != 0) ++hostOpens;
            if ((event->mask & (IN_CLOSE_WRITE | IN_CLOSE_NOWRITE)) != 0 && hostOpens > 0 && --hostOpens == 0)
                hostClosed();
            offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
}

bool PtyBoardHost::Impl::readInput() {
    std::uint8_t buffer[4096];
    const ssize_t n = ::read(master, buffer, sizeof buffer);
    if (n <= 0) return false;
    const int baud = hostBaud();
    std::lock_guard lock(mutex);
    const std::uint64_t now = nowUs();
    lastInputUs = now;
    fromHost += static_cast<std::uint64_t>(n);
    for (Transmission& t : model->feed(std::span(buffer, static_cast<std::size_t>(n)), baud, now))
        scheduled.push_back(std::move(t));
    std::stable_sort(scheduled.begin(), scheduled.end(),
                     [](const Transmission& a, const Transmission& b) { return a.atUs < b.atUs; });
    if (model->takeChipChanged()) dirty = true;
    if (logWriter) logWriter->flush();
    return true;
}

void PtyBoardHost::Impl::writeDue() {
    std::unique_lock lock(mutex);
    const std::uint64_t now = nowUs();
    if (!hostPresent()) { // nobody on the line: what the board sends is lost
        scheduled.clear();
        unwritten.clear();
    }
    while (!scheduled.empty() && scheduled.front().atUs <= now) {
        unwritten.insert(unwritten.end(), scheduled.front().bytes.begin(), scheduled.front().bytes.end());
        scheduled.pop_front();
    }
    while (!unwritten.empty()) {
        const ssize_t n = ::write(master, unwritten.data(), unwritten.size());
        if (n <= 0) break; // full (EAGAIN): wait for POLLOUT; closed: hostClosed() drops it
        unwritten.erase(unwritten.begin(), unwritten.begin() + n);
    }
    if (isIdleLocked()) idle.notify_all();
}

// Like a serial driver closing the port: what the host sent before closing still reaches the
// board, but whatever the board answers, and whatever the host left unread, is lost.
void PtyBoardHost::Impl::hostClosed() {
    {
        std::lock_guard lock(mutex);
        scheduled.clear();
        unwritten.clear();
    }
    if (holdSlave >= 0) {
        tcflush(holdSlave, TCIFLUSH);
        // A real port forgets exclusive mode at its last close; a pty keeps it while the master
        // is open, which would lock the host out of its next open.
        ioctl(holdSlave, TIOCNXCL);
    }
    saveIfDirty(true);
    idle.notify_all();
}

void PtyBoardHost::Impl::saveIfDirty(bool force) {
    std::lock_guard lock(mutex);
    if (!dirty || options.stateFile.empty()) return;
    if (!force && nowUs() < lastInputUs + kSaveQuietUs) return;
    std::string problem;
    if (!saveState(options.stateFile, options.device, model->memories(), problem))
        std::fprintf(stderr, "tovel-sim: %s\n", problem.c_str());
    dirty = false;
}

bool PtyBoardHost::Impl::isIdleLocked() const {
    int available = 0;
    if (ioctl(master, FIONREAD, &available) != 0) available = 0;
    return scheduled.empty() && unwritten.empty() && available == 0;
}

void PtyBoardHost::Impl::run() {
    while (!stopping.load()) {
        // Microseconds: a reply due in 300 us must not wait a whole millisecond (the timing model's
        // floor is what the transfer benchmark compares against).
        std::int64_t timeoutUs = -1;
        bool wantOutput = false;
        {
            std::lock_guard lock(mutex);
            wantOutput = !unwritten.empty();
            const std::uint64_t now = nowUs();
            auto waitUntil = [&](std::uint64_t at) {
                const std::int64_t wait = at <= now ? 0 : static_cast<std::int64_t>(at - now);
                timeoutUs = timeoutUs < 0 ? wait : std::min(timeoutUs, wait);
            };
            if (!scheduled.empty()) waitUntil(scheduled.front().atUs);
            if (dirty && !options.stateFile.empty()) waitUntil(lastInputUs + kSaveQuietUs);
        }
        pollfd fds[3] = {{master, static_cast<short>(POLLIN | (wantOutput ? POLLOUT : 0)), 0},
                         {wakeRead, POLLIN, 0},
                         {watch, POLLIN, 0}};
        const timespec timeout{static_cast<time_t>(timeoutUs / 1'000'000),
                               static_cast<long>(timeoutUs % 1'000'000) * 1000};
        if (::ppoll(fds, watch >= 0 ? 3 : 2, timeoutUs < 0 ? nullptr : &timeout, nullptr) < 0 &&
            errno != EINTR)
            break;
        if (fds[1].revents & POLLIN) {
            char drain[64];
            while (::read(wakeRead, drain, sizeof drain) > 0) {
            }
        }
        // Opens and closes first: a close must flush before the next session's bytes are answered.
        if (watch >= 0 && (fds[2].revents & POLLIN)) handleOpenCloseEvents();
        const bool gotInput = (fds[0].revents & POLLIN) && readInput();
        if (watch < 0) {
            if (!gotInput && (fds[0].revents & (POLLHUP | POLLERR))) {
                if (slaveOpen) {
                    slaveOpen = false;
                    hostClosed();
                }
                pollfd wakeOnly{wakeRead, POLLIN, 0};
                ::poll(&wakeOnly, 1, kClosedRetryMs);
                continue;
            }
            slaveOpen = true;
        }
        writeDue();
        saveIfDirty(false);
    }
}

PtyBoardHost::PtyBoardHost(SimOptions options) : impl_(std::make_unique<Impl>()) {
    Impl& s = *impl_;
    s.options = std::move(options);
    s.model = std::make_unique<BoardModel>(s.options);
    if (!makeChip({s.options.device, std::nullopt, false})) {
        s.error = "unknown device: " + s.options.device;
        return;
    }
    if (!s.options.stateFile.empty()) {
        // A file of another chip, or a damaged one, is refused rather than overwritten at exit.
        ChipMemories memories = s.model->memories();
        std::string found;
        switch (loadState(s.options.stateFile, s.options.device, memories, &found)) {
        case StateLoad::Loaded:
            s.model->setMemories(memories);
            if (s.options.locked) s.model->injectFault(Fault::at(FaultKind::LockChip, 0));
            break;
        case StateLoad::Missing:
            break;
        case StateLoad::OtherDevice:
            s.error = s.options.stateFile + " holds the state of " + found + ", not " + s.options.device;
            return;
        case StateLoad::Damaged:
            s.error = s.options.stateFile + " is not a state file of this chip (damaged, or of other sizes)";
            return;
        }
        s.model->takeChipChanged();
    }
    if (!s.open()) return;
    s.thread = std::thread([&s] { s.run(); });
}

PtyBoardHost::~PtyBoardHost() {
    Impl& s = *impl_;
    s.stopping = true;
    if (s.wakeWrite >= 0) s.wake();
    if (s.thread.joinable()) s.thread.join();
    if (s.model && s.model->takeChipChanged()) s.dirty = true;
    if (s.error.empty()) s.saveIfDirty(true);
    if (s.linked) {
        char target[256] = {};
        const ssize_t n = ::readlink(s.options.linkPath.c_str(), target, sizeof target - 1);
        if (n > 0 && s.slavePath == std::string(target, static_cast<std::size_t>(n)))
            ::unlink(s.options.linkPath.c_str());
    }
    if (s.logWriter) s.logWriter->flush();
    if (s.logFile != nullptr) std::fclose(s.logFile);
    closeFd(s.watch);
    closeFd(s.holdSlave);
    closeFd(s.wakeRead);
    closeFd(s.wakeWrite);
    closeFd(s.master);
}

bool PtyBoardHost::ok() const { return impl_->thread.joinable(); }
const std::string& PtyBoardHost::error() const { return impl_->error; }
const std::string& PtyBoardHost::slavePath() const { return impl_->slavePath; }

ChipMemories PtyBoardHost::memories() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->model->memories();
}
std::vector<std::uint8_t> PtyBoardHost::flash() const { return memories().flash; }
std::vector<std::uint8_t> PtyBoardHost::eeprom() const { return memories().eeprom; }
std::array<std::uint8_t, 3> PtyBoardHost::fuses() const { return memories().fuses; }
std::uint8_t PtyBoardHost::lockBits() const { return memories().lock; }

void PtyBoardHost::setMemories(const ChipMemories& memories) {
    std::lock_guard lock(impl_->mutex);
    impl_->model->setMemories(memories);
    impl_->dirty = impl_->model->takeChipChanged() || impl_->dirty;
}

void PtyBoardHost::setFlash(std::size_t offset, const std::vector<std::uint8_t>& bytes) {
    std::lock_guard lock(impl_->mutex);
    ChipMemories m = impl_->model->memories();
    for (std::size_t i = 0; i < bytes.size() && offset + i < m.flash.size(); ++i)
        m.flash[offset + i] = bytes[i];
    impl_->model->setMemories(m);
    impl_->dirty = impl_->model->takeChipChanged() || impl_->dirty;
}

void PtyBoardHost::setEeprom(std::size_t offset, const std::vector<std::uint8_t>& bytes) {
    std::lock_guard lock(impl_->mutex);
    ChipMemories m = impl_->model->memories();
    for (std::size_t i = 0; i < bytes.size() && offset + i < m.eeprom.size(); ++i)
        m.eeprom[offset + i] = bytes[i];
    impl_->model->setMemories(m);
    impl_->dirty = impl_->model->takeChipChanged() || impl_->dirty;
}

void PtyBoardHost::injectFault(const Fault& fault) {
    std::lock_guard lock(impl_->mutex);
    impl_->model->injectFault(fault);
}

void PtyBoardHost::clearFaults() {
    std::lock_guard lock(impl_->mutex);
    impl_->model->clearFaults();
}

std::vector<LoggedByte> PtyBoardHost::log() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->model->log();
}

void PtyBoardHost::clearLog() {
    std::lock_guard lock(impl_->mutex);
    impl_->model->clearLog();
}

int PtyBoardHost::boardBaud() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->model->baud();
}

bool PtyBoardHost::inProgrammingMode() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->model->inProgrammingMode();
}

TimingReport PtyBoardHost::timing() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->model->timing();
}

void PtyBoardHost::resetTiming() {
    std::lock_guard lock(impl_->mutex);
    impl_->model->resetTiming();
}

std::uint64_t PtyBoardHost::bytesFromHost() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->fromHost;
}

bool PtyBoardHost::waitIdle(unsigned timeoutMs) const {
    std::unique_lock lock(impl_->mutex);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    // Unread input is only seen by polling the master, so look again every few milliseconds.
    while (!impl_->isIdleLocked()) {
        if (impl_->idle.wait_until(
                lock, std::min(deadline, std::chrono::steady_clock::now() + std::chrono::milliseconds(5))) ==
                std::cv_status::timeout &&
            std::chrono::steady_clock::now() >= deadline)
            return impl_->isIdleLocked();
    }
    return true;
}

} // namespace tovel::sim
