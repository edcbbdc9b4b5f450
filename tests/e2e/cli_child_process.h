// A program run as a child process for the end-to-end tests: its standard output and error are
// collected as they come, its input can be written, and it can be sent signals.
#pragma once

#include <chrono>
#include <csignal>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tovel::test {

class ChildProcess {
public:
    explicit ChildProcess(std::vector<std::string> arguments) {
        int inPipe[2], outPipe[2], errPipe[2];
        if (::pipe2(inPipe, O_CLOEXEC) != 0 || ::pipe2(outPipe, O_CLOEXEC) != 0 ||
            ::pipe2(errPipe, O_CLOEXEC) != 0)
            return;
        std::vector<char*> argv;
        for (std::string& argument : arguments) argv.push_back(argument.data());
        argv.push_back(nullptr);
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(inPipe[0], STDIN_FILENO);
            ::dup2(outPipe[1], STDOUT_FILENO);
            ::dup2(errPipe[1], STDERR_FILENO);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(inPipe[0]);
        ::close(outPipe[1]);
        ::close(errPipe[1]);
        input_ = inPipe[1];
        out_ = outPipe[0];
        err_ = errPipe[0];
    }
    ~ChildProcess() {
        if (pid_ > 0 && !exited_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        for (const int fd : {input_, out_, err_})
            if (fd >= 0) ::close(fd);
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    void write(const std::string& text) {
        if (input_ >= 0) (void)!::write(input_, text.data(), text.size());
    }
    void closeInput() {
        if (input_ >= 0) ::close(input_);
        input_ = -1;
    }
    void signal(int number) const { ::kill(pid_, number); }

    // Collects output until standard output holds `text`; false after `timeoutMs` or at its end.
    bool waitForOutput(const std::string& text, int timeoutMs) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (out.find(text) == std::string::npos) {
            if (!collect(end)) return out.find(text) != std::string::npos;
        }
        return true;
    }

    // Collects everything until the program ends; its exit status, or -1 (killed, or still running
    // after `timeoutMs`: then it is killed).
    int wait(int timeoutMs = 60000) {
        closeInput();
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (collect(end)) {
        }
        int status = 0;
        while (::waitpid(pid_, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() >= end) {
                ::kill(pid_, SIGKILL);
                ::waitpid(pid_, &status, 0);
                exited_ = true;
                return -1;
            }
            ::usleep(2000);
        }
        exited_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string out;
    std::string err;

private:
    // One round of reading; false when both outputs have ended or the time is up.
    bool collect(std::chrono::steady_clock::time_point end) {
        if (out_ < 0 && err_ < 0) return false;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        pollfd entries[2] = {{out_, POLLIN, 0}, {err_, POLLIN, 0}};
        if (::poll(entries, 2, static_cast<int>(left.count())) <= 0) return true;
        readFrom(entries[0], out_, out);
        readFrom(entries[1], err_, err);
        return true;
    }
    static void readFrom(const pollfd& entry, int& fd, std::string& into) {
        if (fd < 0 || (entry.revents & (POLLIN | POLLHUP | POLLERR)) == 0) return;
        char buffer[4096];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) {
            into.append(buffer, static_cast<std::size_t>(n));
        } else {
            ::close(fd);
            fd = -1;
        }
    }

    pid_t pid_ = -1;
    bool exited_ = false;
    int input_ = -1;
    int out_ = -1;
    int err_ = -1;
};

} // namespace tovel::test
