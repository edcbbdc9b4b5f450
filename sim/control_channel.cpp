#include "sim/control_channel.h"

#include <cerrno>
#include <cstring>
#include <sstream>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tovel::sim {

namespace {

constexpr std::size_t kLongestLine = 256;

} // namespace

std::optional<ControlCommand> parseControlLine(const std::string& line) {
    std::istringstream words(line);
    std::string word;
    if (!(words >> word)) return std::nullopt;
    ControlCommand command;
    if (word.find_first_not_of("0123456789") == std::string::npos) {
        if (word.size() > 3) return std::nullopt;
        command.board = std::stoi(word);
        if (command.board < 1 || !(words >> word)) return std::nullopt;
    }
    if (word == "insert") {
        command.insert = true;
        words >> command.device;
    } else if (word != "remove") {
        return std::nullopt;
    }
    std::string extra;
    if (words >> extra) return std::nullopt;
    return command;
}

ControlChannel::ControlChannel(std::string path, Handler handler)
    : path_(std::move(path)), handler_(std::move(handler)) {
    if (::mkfifo(path_.c_str(), 0600) == 0) {
        made_ = true;
    } else if (errno != EEXIST) {
        error_ = path_ + ": " + std::strerror(errno);
        return;
    }
    struct stat info {};
    if (::stat(path_.c_str(), &info) != 0 || !S_ISFIFO(info.st_mode)) {
        error_ = path_ + ": not a FIFO";
        return;
    }
    // Opened for writing too, so the FIFO never reports its end when a writer closes it.
    fifo_ = ::open(path_.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fifo_ < 0 || ::pipe2(stop_, O_CLOEXEC) != 0) {
        error_ = path_ + ": " + std::strerror(errno);
        if (fifo_ >= 0) ::close(fifo_);
        fifo_ = -1;
        return;
    }
    thread_ = std::thread([this] { readLines(); });
}

ControlChannel::~ControlChannel() {
    if (thread_.joinable()) {
        const char stop = 'x';
        (void)!::write(stop_[1], &stop, 1);
        thread_.join();
    }
    for (const int fd : {fifo_, stop_[0], stop_[1]})
        if (fd >= 0) ::close(fd);
    if (made_) ::unlink(path_.c_str());
}

void ControlChannel::readLines() {
    std::string pending;
    for (;;) {
        pollfd fds[2] = {{fifo_, POLLIN, 0}, {stop_[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[1].revents != 0) return;
        char chunk[512];
        const ssize_t n = ::read(fifo_, chunk, sizeof chunk);
        if (n <= 0) continue;
        pending.append(chunk, static_cast<std::size_t>(n));
        std::size_t end;
        while ((end = pending.find('\n')) != std::string::npos) {
            if (const std::optional<ControlCommand> command = parseControlLine(pending.substr(0, end)))
                handler_(*command);
            pending.erase(0, end + 1);
        }
        if (pending.size() > kLongestLine) pending.clear(); // a line without an end is dropped
    }
}

} // namespace tovel::sim
