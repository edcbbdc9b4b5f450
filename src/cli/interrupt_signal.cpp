#include "cli/interrupt_signal.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include "cli/exit_status.h"

namespace tovel::cli {

namespace {

// How long an urgent stop may take before the process is ended where it stands.
constexpr long kUrgentGraceNs = 300L * 1000 * 1000;
constexpr std::size_t kPathMax = 4096;

std::atomic<StopRequest*> stopRequest{nullptr};
std::atomic<const char*> interruptedText{"Interrupted."};
timer_t watchdog{};
std::atomic<bool> watchdogReady{false};
std::atomic<bool> watchdogArmed{false};

// The temporary folder, as plain characters a signal handler may read. `temporaryReady` is false
// while they are being changed.
char temporaryFolder[kPathMax] = {};
char temporaryFile[kPathMax] = {};
std::atomic<bool> temporaryReady{false};

void writeError(const char* text) { (void)!::write(STDERR_FILENO, text, std::strlen(text)); }

// Only async-signal-safe calls from here on.
extern "C" void onWatchdog(int /*signal*/) {
    if (temporaryReady.load()) {
        if (temporaryFile[0] != '\0') (void)::unlink(temporaryFile);
        if (temporaryFolder[0] != '\0') (void)::rmdir(temporaryFolder);
    }
    writeError("\n");
    writeError(interruptedText.load());
    writeError("\n");
    ::_exit(code(ExitStatus::Cancelled));
}

extern "C" void onInterrupt(int /*signal*/) {
    const int saved = errno;
    StopRequest* stop = stopRequest.load();
    if (stop != nullptr) {
        stop->raise();
        // The upload under way is waited for; the watchdog is armed by a later signal.
        if (stop->urgent() && !stop->unstoppable() && watchdogReady.load() && !watchdogArmed.exchange(true)) {
            itimerspec grace{};
            grace.it_value.tv_nsec = kUrgentGraceNs;
            (void)::timer_settime(watchdog, 0, &grace, nullptr);
        }
    }
    errno = saved;
}

void copyPath(char (&into)[kPathMax], const std::string& path) {
    const std::size_t n = path.size() < kPathMax ? path.size() : 0; // too long: not kept
    std::memcpy(into, path.data(), n);
    into[n] = '\0';
}

} // namespace

StopRequest& installInterruptHandler() {
    static StopRequest stop;
    static const bool installed = [] {
        stopRequest.store(&stop);
        struct sigaction alarm {};
        alarm.sa_handler = &onWatchdog;
        sigemptyset(&alarm.sa_mask);
        ::sigaction(SIGALRM, &alarm, nullptr);
        sigevent event{};
        event.sigev_notify = SIGEV_SIGNAL;
        event.sigev_signo = SIGALRM;
        watchdogReady.store(::timer_create(CLOCK_MONOTONIC, &event, &watchdog) == 0);

        struct sigaction action {};
        action.sa_handler = &onInterrupt;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART; // waits that matter watch the stop request instead
        for (const int signal : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(signal, &action, nullptr);
        return true;
    }();
    (void)installed;
    return stop;
}

void setInterruptedText(const char* text) { interruptedText.store(text); }

void setTemporaryFolder(const std::string& folder, const std::string& file) {
    temporaryReady.store(false);
    copyPath(temporaryFolder, folder);
    copyPath(temporaryFile, file);
    temporaryReady.store(true);
}

std::optional<std::string> readLineOrInterrupt(int fd) {
    const StopRequest* stop = stopRequest.load();
    std::string line;
    for (;;) {
        if (stop != nullptr && stop->cuts()) return std::nullopt;
        pollfd entries[2] = {{fd, POLLIN, 0}, {stop != nullptr ? stop->wakeFd() : -1, POLLIN, 0}};
        const int ready = ::poll(entries, 2, -1);
        if (ready < 0) {
            if (errno == EINTR) continue;
            return std::nullopt;
        }
        if ((entries[1].revents & POLLIN) != 0) return std::nullopt;
        if ((entries[0].revents & (POLLIN | POLLHUP | POLLERR)) == 0) continue;
        char c = 0;
        const ssize_t n = ::read(fd, &c, 1);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n <= 0) return line.empty() ? std::nullopt : std::optional<std::string>(line);
        if (c == '\n') return line;
        if (c != '\r') line += c;
    }
}

} // namespace tovel::cli
