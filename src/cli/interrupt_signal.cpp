#include "cli/interrupt_signal.h"

#include <cerrno>
#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include "cli/exit_status.h"

namespace tovel::cli {

namespace {

std::atomic<bool> interruptRequested{false};
std::atomic<const char*> interruptedText{"Interrupted."};
int wakePipe[2] = {-1, -1};

extern "C" void onInterrupt(int /*signal*/) {
    if (interruptRequested.exchange(true)) {
        // Only async-signal-safe calls from here on.
        const char* text = interruptedText.load();
        const int saved = errno;
        (void)!::write(STDERR_FILENO, "\n", 1);
        (void)!::write(STDERR_FILENO, text, std::strlen(text));
        (void)!::write(STDERR_FILENO, "\n", 1);
        errno = saved;
        ::_exit(code(ExitStatus::Cancelled));
    }
    if (wakePipe[1] >= 0) {
        const int saved = errno;
        (void)!::write(wakePipe[1], "!", 1);
        errno = saved;
    }
}

} // namespace

const std::atomic<bool>& installInterruptHandler() {
    static const bool installed = [] {
        if (::pipe(wakePipe) == 0) {
            for (const int fd : wakePipe) {
                ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
                ::fcntl(fd, F_SETFD, FD_CLOEXEC);
            }
        }
        struct sigaction action {};
        action.sa_handler = &onInterrupt;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART; // reads and waits elsewhere simply go on
        ::sigaction(SIGINT, &action, nullptr);
        ::sigaction(SIGTERM, &action, nullptr);
        return true;
    }();
    (void)installed;
    return interruptRequested;
}

void setInterruptedText(const char* text) { interruptedText.store(text); }

std::optional<std::string> readLineOrInterrupt(int fd) {
    std::string line;
    for (;;) {
        if (interruptRequested.load()) return std::nullopt;
        pollfd entries[2] = {{fd, POLLIN, 0}, {wakePipe[0], POLLIN, 0}};
        const nfds_t count = wakePipe[0] >= 0 ? 2 : 1;
        const int ready = ::poll(entries, count, -1);
        if (ready < 0) {
            if (errno == EINTR) continue;
            return std::nullopt;
        }
        if (count == 2 && (entries[1].revents & POLLIN) != 0) return std::nullopt;
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
