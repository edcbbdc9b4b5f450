// The board on a real pseudo-terminal, opened the way a serial channel opens a port.
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "sim/pty_board_host.h"
#include "sim_test_support.h"

using namespace tovel::sim;
using namespace tovel::sim::test;

namespace {

class SerialPort {
public:
    SerialPort(const std::string& path, speed_t speed) {
        fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (fd_ < 0) return;
        termios t{};
        tcgetattr(fd_, &t);
        cfmakeraw(&t);
        t.c_cflag |= CLOCAL | CREAD;
        cfsetispeed(&t, speed);
        cfsetospeed(&t, speed);
        tcsetattr(fd_, TCSANOW, &t);
    }
    ~SerialPort() {
        if (fd_ >= 0) ::close(fd_);
    }
    bool isOpen() const { return fd_ >= 0; }
    void send(const Bytes& data) {
        ASSERT_EQ(::write(fd_, data.data(), data.size()), static_cast<ssize_t>(data.size()));
    }
    Bytes receive(std::size_t count, int timeoutMs = 1000) {
        Bytes out;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (out.size() < count) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) break;
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
            std::uint8_t buffer[256];
            const ssize_t n = ::read(fd_, buffer, std::min(sizeof buffer, count - out.size()));
            if (n <= 0) break;
            out.insert(out.end(), buffer, buffer + n);
        }
        return out;
    }
    Bytes exchange(const Bytes& data, std::size_t replyBytes, int timeoutMs = 1000) {
        send(data);
        return receive(replyBytes, timeoutMs);
    }

private:
    int fd_ = -1;
};

std::string temporaryPath(const std::string& name) {
    return (std::filesystem::temp_directory_path() / (name + "-" + std::to_string(::getpid()))).string();
}

} // namespace

TEST(PtyHost, ProbeSwitchSpeedAndReopenAtTheNewSpeed) {
    PtyBoardHost host(chipOptions("ATmega8"));
    ASSERT_TRUE(host.ok()) << host.error();
    {
        SerialPort port(host.slavePath(), B19200);
        ASSERT_TRUE(port.isOpen());
        EXPECT_EQ(port.exchange(text("%"), 1), text("+"));
        EXPECT_EQ(port.exchange(bytes({'#', 1, 0x82, 0}), 1), bytes({0x0D}));
    }
    EXPECT_EQ(host.boardBaud(), 115200);
    {
        SerialPort port(host.slavePath(), B115200);
        EXPECT_EQ(port.exchange(text("%"), 1), text("+"));
        EXPECT_EQ(port.exchange(bytes({'#', 0, 0x82, 0}), 1), bytes({0x0D}));
    }
    EXPECT_EQ(host.boardBaud(), 19200);
    SerialPort port(host.slavePath(), B115200); // the wrong speed now: no answer
    EXPECT_TRUE(port.exchange(text("%"), 1, 200).empty());
}

TEST(PtyHost, SurvivesReopeningAndDropsWhatTheHostLeftUnread) {
    PtyBoardHost host(chipOptions("ATmega8"));
    ASSERT_TRUE(host.ok()) << host.error();
    for (int round = 0; round < 12; ++round) {
        // The protocol never reopens at once; the simulator drops leftovers within this time.
        if (round > 0) std::this_thread::sleep_for(std::chrono::milliseconds(20));
        SerialPort port(host.slavePath(), B19200);
        ASSERT_TRUE(port.isOpen()) << round;
        EXPECT_EQ(port.exchange(text("%"), 1), text("+")) << round;
        const std::uint64_t before = host.bytesFromHost();
        port.send(text("?")); // the version text stays unread when the port closes
        for (int wait = 0; wait < 200 && host.bytesFromHost() == before; ++wait)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ASSERT_TRUE(host.waitIdle());
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    SerialPort port(host.slavePath(), B19200);
    EXPECT_EQ(port.exchange(text("%"), 2, 300), text("+"));
}

TEST(PtyHost, FaultsCanBeInjectedFromAnotherThreadWhileTheHostTalks) {
    PtyBoardHost host(chipOptions("ATmega8"));
    ASSERT_TRUE(host.ok()) << host.error();
    SerialPort port(host.slavePath(), B19200);
    std::thread injector([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        host.injectFault(Fault::at(FaultKind::ReplaceReply, 1, '%').withBytes(text("x")));
    });
    int seen = 0;
    for (int i = 0; i < 2000 && seen == 0; ++i) {
        const Bytes reply = port.exchange(text("%"), 1);
        ASSERT_EQ(reply.size(), 1u);
        if (reply == text("x"))
            ++seen;
        else
            EXPECT_EQ(reply, text("+"));
    }
    injector.join();
    EXPECT_EQ(seen, 1);
    EXPECT_EQ(port.exchange(text("%"), 1), text("+"));
}

TEST(PtyHost, StateFileLinkAndLogOutliveTheHost) {
    const std::string state = temporaryPath("tovel-sim-state");
    const std::string link = temporaryPath("tovel-sim-link");
    const std::string logFile = temporaryPath("tovel-sim-log");
    SimOptions options = chipOptions("ATmega8");
    options.stateFile = state;
    options.linkPath = link;
    options.logFile = logFile;
    {
        PtyBoardHost host(options);
        ASSERT_TRUE(host.ok()) << host.error();
        SerialPort port(link, B19200);
        ASSERT_TRUE(port.isOpen());
        for (const Bytes& step : {bytes({'&', 2}), bytes({':', 0, 0}), bytes({'#', 0, 0x82, 0}), text("Q"),
                                  text("="), bytes({'4', 0xC0, 0, 7, 0x77}), text("-")})
            EXPECT_EQ(port.exchange(step, 1).size(), 1u);
        host.setFlash(0x10, bytes({1, 2, 3}));
        const std::vector<LoggedByte> log = host.log();
        ASSERT_FALSE(log.empty());
        EXPECT_EQ(log.front().direction, Direction::HostToBoard);
        EXPECT_EQ(log.front().byte, '&');
        EXPECT_EQ(log.back().direction, Direction::BoardToHost);
    }
    struct stat st {};
    EXPECT_NE(lstat(link.c_str(), &st), 0); // the link went with the host
    EXPECT_TRUE(std::filesystem::file_size(logFile) > 0);
    options.linkPath.clear();
    options.logFile.clear();
    PtyBoardHost again(options);
    ASSERT_TRUE(again.ok()) << again.error();
    EXPECT_EQ(again.eeprom()[7], 0x77);
    EXPECT_EQ(again.flash()[0x11], 0x02);
    std::filesystem::remove(state);
    std::filesystem::remove(logFile);
}
