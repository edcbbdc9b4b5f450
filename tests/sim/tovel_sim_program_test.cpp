// The tovel-sim program itself: its first output line, the chip kept across runs, a clean stop.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "sim_test_support.h"

using namespace tovel::sim::test;

extern char** environ;

namespace {

// The program sits beside the test executable's folder in the build tree.
std::string programPath() {
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe");
    return (self.parent_path().parent_path() / "sim" / "tovel-sim").string();
}

class Program {
public:
    explicit Program(std::vector<std::string> args) {
        int out[2];
        if (pipe(out) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        args.insert(args.begin(), programPath());
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        out_ = out[0];
    }
    ~Program() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (out_ >= 0) ::close(out_);
    }
    std::string firstLine() {
        std::string line;
        char c;
        while (line.size() < 256) {
            pollfd p{out_, POLLIN, 0};
            if (::poll(&p, 1, 5000) <= 0 || ::read(out_, &c, 1) != 1 || c == '\n') break;
            line.push_back(c);
        }
        return line;
    }
    int stop(int signal = SIGTERM) {
        kill(pid_, signal);
        return wait();
    }
    int wait() {
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = -1;
    int out_ = -1;
};

Bytes talk(const std::string& path, const Bytes& command, std::size_t replyBytes) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY);
    if (fd < 0) return {};
    termios t{};
    tcgetattr(fd, &t);
    cfmakeraw(&t);
    cfsetspeed(&t, B19200);
    tcsetattr(fd, TCSANOW, &t);
    Bytes reply;
    if (::write(fd, command.data(), command.size()) == static_cast<ssize_t>(command.size())) {
        while (reply.size() < replyBytes) {
            pollfd p{fd, POLLIN, 0};
            std::uint8_t b;
            if (::poll(&p, 1, 1000) <= 0 || ::read(fd, &b, 1) != 1) break;
            reply.push_back(b);
        }
    }
    ::close(fd);
    return reply;
}

} // namespace

TEST(TovelSimProgram, KeepsTheChipInItsStateFileAcrossRuns) {
    if (!std::filesystem::exists(programPath())) GTEST_SKIP() << "tovel-sim not built beside the tests";
    const std::string state =
        (std::filesystem::temp_directory_path() / ("tovel-sim-run-" + std::to_string(getpid()))).string();
    {
        Program sim({"--device", "AT25256", "--state", state});
        const std::string path = sim.firstLine();
        ASSERT_EQ(path.rfind("/dev/", 0), 0u) << path;
        EXPECT_EQ(talk(path, text("%"), 1), text("+"));
        for (const Bytes& frame :
             {bytes({'9', '6', 0x06, '8'}), bytes({'9', '6', 0x02, '6', 0x00, '6', 0x05, '6', 0x99, '8'})})
            EXPECT_EQ(talk(path, frame, frame.size() / 2).size(), frame.size() / 2);
        EXPECT_EQ(sim.stop(), 0);
    }
    Program again({"--device", "AT25256", "--state", state});
    const std::string path = again.firstLine();
    EXPECT_EQ(talk(path, bytes({'9', '6', 0x03, '6', 0x00, '6', 0x05, '7', '8'}), 5),
              bytes({0x0D, 0x0D, 0x0D, 0x0D, 0x99}));
    EXPECT_EQ(again.stop(SIGINT), 0);
    std::filesystem::remove(state);
}

TEST(TovelSimProgram, HelpAndUsageErrors) {
    if (!std::filesystem::exists(programPath())) GTEST_SKIP() << "tovel-sim not built beside the tests";
    EXPECT_EQ(Program({"--help"}).wait(), 0);
    EXPECT_EQ(Program({"--device", "ATmega9"}).wait(), 2);
    EXPECT_EQ(Program({"--fault", "drop,nth=x"}).wait(), 2);
}
