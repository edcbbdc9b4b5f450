// The serial channel over a real pseudo-terminal: line settings, exclusive open, reads that
// reassemble pieces and give up only after silence, and the behaviour of a closed channel.
#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

#include "board/posix_serial_channel.h"
#include "support/pty_pair.h"

namespace tovel {
namespace {

using std::chrono::milliseconds;
using Bytes = std::vector<std::uint8_t>;
constexpr unsigned kShortTimeoutMs = 300;

long long msSince(std::chrono::steady_clock::time_point begin) {
    return std::chrono::duration_cast<milliseconds>(std::chrono::steady_clock::now() - begin).count();
}

class SerialChannelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pty.ok());
        ports.setOverride(3, pty.slavePath());
    }

    test::PtyPair pty;
    PortMap ports;
    PosixSerialChannel channel{ports, kShortTimeoutMs};
};

TEST_F(SerialChannelTest, OpensWithRawEightNOneAndNoFlowControl) {
    EXPECT_STREQ(channel.statusText(), "Not initialized");
    for (std::uint32_t baud : {19200u, 115200u, 921600u}) {
        ASSERT_TRUE(channel.openPort(2, baud)); // port number 3
        EXPECT_STREQ(channel.statusText(), "Connect: OK");
        EXPECT_TRUE(channel.isConnected());
        const termios t = pty.settings();
        EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
        EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS | HUPCL), 0u);
        EXPECT_EQ(t.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
        EXPECT_EQ(t.c_iflag & (IXON | IXOFF | ICRNL | ISTRIP | INPCK), 0u);
        EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
        EXPECT_EQ(t.c_oflag & OPOST, 0u);
        const speed_t expected = baud == 19200 ? B19200 : baud == 115200 ? B115200 : B921600;
        EXPECT_EQ(cfgetospeed(&t), expected);
        EXPECT_EQ(cfgetispeed(&t), expected);
    }
    // Every byte value passes unchanged in both directions.
    Bytes all(256);
    for (int i = 0; i < 256; ++i) all[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
    ASSERT_TRUE(channel.sendBytes(all.data(), all.size()));
    EXPECT_STREQ(channel.statusText(), "Send: OK");
    EXPECT_EQ(pty.read(1000), all);
    ASSERT_TRUE(pty.write(all));
    const std::uint8_t* got = channel.receive(256);
    ASSERT_NE(got, nullptr);
    EXPECT_EQ(Bytes(got, got + 256), all);
    EXPECT_STREQ(channel.statusText(), "Receive: OK");
}

TEST_F(SerialChannelTest, MissingDeviceAndRefusedSpeedFailAndLeaveTheChannelClosed) {
    EXPECT_FALSE(channel.openPath("/dev/does-not-exist", 19200));
    EXPECT_STREQ(channel.statusText(), "Error in CreateFile");
    EXPECT_FALSE(channel.isConnected());
    ports.setOverride(4, "/dev/does-not-exist");
    EXPECT_FALSE(channel.openPort(3, 19200));
    EXPECT_FALSE(channel.openPort(-2, 19200)); // no such port number
    EXPECT_STREQ(channel.statusText(), "Error in CreateFile");

    EXPECT_FALSE(channel.openPort(2, 12345));
    EXPECT_STREQ(channel.statusText(), "Error in SetCommState");
    EXPECT_FALSE(channel.isConnected());
    EXPECT_TRUE(channel.openPort(2, 19200)); // the refused open left nothing held
}

TEST_F(SerialChannelTest, PortHeldElsewhereIsRefused) {
    ASSERT_TRUE(channel.openPort(2, 19200));
    PosixSerialChannel other(ports, kShortTimeoutMs);
    EXPECT_FALSE(other.openPort(2, 19200));
    EXPECT_STREQ(other.statusText(), "Error in CreateFile");
    EXPECT_FALSE(other.isConnected());
    EXPECT_TRUE(channel.isConnected());
    channel.closePort();
    EXPECT_TRUE(other.openPort(2, 19200));
    other.closePort();

    // Another program that locked the device.
    const int held = ::open(pty.slavePath().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
    EXPECT_FALSE(channel.openPort(2, 19200));
    EXPECT_STREQ(channel.statusText(), "Error in CreateFile");
    ::close(held);
    EXPECT_TRUE(channel.openPort(2, 19200));
}

TEST_F(SerialChannelTest, OpeningAnOpenChannelClosesItFirst) {
    ASSERT_TRUE(channel.openPort(2, 19200));
    ASSERT_TRUE(channel.openPort(2, 115200)); // would be refused if the first open were still held
    EXPECT_EQ(cfgetospeed(&static_cast<const termios&>(pty.settings())), static_cast<speed_t>(B115200));
    EXPECT_EQ(channel.baud(), 115200u);
    EXPECT_TRUE(channel.closePort());
    EXPECT_STREQ(channel.statusText(), "Disconnect: OK");
    EXPECT_TRUE(channel.closePort()); // harmless twice
}

TEST_F(SerialChannelTest, ClosedChannelTouchesNothing) {
    const std::uint8_t byte = 0x25;
    EXPECT_FALSE(channel.sendByte(byte));
    EXPECT_STREQ(channel.statusText(), "Send: not connected");
    EXPECT_FALSE(channel.sendBytes(&byte, 1));
    EXPECT_EQ(channel.receive(1), nullptr);
    EXPECT_STREQ(channel.statusText(), "Receive: not connected");
    EXPECT_EQ(channel.receiveByte(), SerialChannel::kClosed); // not a 0x00 from the board
    EXPECT_STREQ(channel.statusText(), "Receive1: not connected");
    EXPECT_TRUE(pty.read(50).empty());
}

TEST_F(SerialChannelTest, ReplyInPiecesIsReassembled) {
    PosixSerialChannel production(ports); // the real time-out: the 1 s gap must be tolerated
    ASSERT_TRUE(production.openPort(2, 19200));
    std::thread board([&] {
        pty.write({0x4D, 0x30});
        std::this_thread::sleep_for(milliseconds(1000));
        pty.write({0x31});
    });
    const std::uint8_t* reply = production.receive(3);
    board.join();
    ASSERT_NE(reply, nullptr);
    EXPECT_EQ(Bytes(reply, reply + 3), (Bytes{0x4D, 0x30, 0x31}));
}

TEST_F(SerialChannelTest, ProductionTimeOutIs2800MsOfSilence) {
    EXPECT_EQ(SerialChannel::kReadTimeoutMs, 2800u);
    PosixSerialChannel production(ports);
    ASSERT_TRUE(production.openPort(2, 19200));
    pty.write({0x4D, 0x30});
    const auto begin = std::chrono::steady_clock::now();
    EXPECT_EQ(production.receive(3), nullptr);
    const long long took = msSince(begin);
    EXPECT_GE(took, 2800);
    EXPECT_LT(took, 3300);
    EXPECT_STREQ(production.statusText(), "Receive: I/O error");
}

TEST_F(SerialChannelTest, EachReadCallWaitsAfreshForTheNextByte) {
    ASSERT_TRUE(channel.openPort(2, 19200));
    std::thread board([&] {
        for (std::uint8_t b = 1; b <= 4; ++b) {
            std::this_thread::sleep_for(milliseconds(200)); // below the 300 ms time-out each time
            pty.write({b});
        }
    });
    const auto begin = std::chrono::steady_clock::now();
    const std::uint8_t* reply = channel.receive(4);
    board.join();
    ASSERT_NE(reply, nullptr);
    EXPECT_EQ(Bytes(reply, reply + 4), (Bytes{1, 2, 3, 4}));
    EXPECT_GE(msSince(begin), 750);
}

TEST_F(SerialChannelTest, SilenceEndsReadsAfterTheTimeOut) {
    ASSERT_TRUE(channel.openPort(2, 19200));
    auto begin = std::chrono::steady_clock::now();
    EXPECT_EQ(channel.receiveByte(), -1);
    EXPECT_GE(msSince(begin), kShortTimeoutMs);
    EXPECT_LT(msSince(begin), kShortTimeoutMs + 300);

    pty.write({0x4D, 0x30});
    begin = std::chrono::steady_clock::now();
    EXPECT_EQ(channel.receive(3), nullptr);
    EXPECT_GE(msSince(begin), kShortTimeoutMs);
    EXPECT_STREQ(channel.statusText(), "Receive: I/O error");
}

TEST_F(SerialChannelTest, WaitingBytesAreDeliveredAtOnceAndNeverPurged) {
    ASSERT_TRUE(channel.openPort(2, 19200));
    pty.write({0x2B, 0x0D, 0x0D});
    std::this_thread::sleep_for(milliseconds(20));
    const auto begin = std::chrono::steady_clock::now();
    EXPECT_EQ(channel.receiveByte(), 0x2B);
    EXPECT_LT(msSince(begin), 50);
    const std::uint8_t byte = 0x40;
    ASSERT_TRUE(channel.sendByte(byte)); // a write does not drop what is waiting
    EXPECT_EQ(pty.read(500), Bytes{0x40});
    const std::uint8_t* rest = channel.receive(2);
    ASSERT_NE(rest, nullptr);
    EXPECT_EQ(Bytes(rest, rest + 2), (Bytes{0x0D, 0x0D}));
}

TEST_F(SerialChannelTest, ReceiveCountsOutsideTheBufferAreRefused) {
    ASSERT_TRUE(channel.openPort(2, 19200));
    EXPECT_NE(channel.receive(0), nullptr);
    EXPECT_EQ(channel.receive(SerialChannel::kReceiveBufferSize + 1), nullptr);
    EXPECT_STREQ(channel.statusText(), "Receive: I/O error");
    Bytes big(SerialChannel::kReceiveBufferSize);
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<std::uint8_t>(i % 251);
    std::thread board([&] { EXPECT_TRUE(pty.write(big)); }); // more than the line holds at once
    const std::uint8_t* got = channel.receive(big.size());
    board.join();
    ASSERT_NE(got, nullptr);
    EXPECT_EQ(Bytes(got, got + big.size()), big);
}

TEST_F(SerialChannelTest, VanishedDeviceFailsAtOnceInsteadOfWaiting) {
    PosixSerialChannel production(ports);
    ASSERT_TRUE(production.openPort(2, 19200));
    pty.hangUp();
    const auto begin = std::chrono::steady_clock::now();
    EXPECT_EQ(production.receiveByte(), -1);
    EXPECT_EQ(production.receive(1), nullptr);
    EXPECT_LT(msSince(begin), 100);
    const std::uint8_t byte = 0x25;
    EXPECT_FALSE(production.sendByte(byte));
    EXPECT_STREQ(production.statusText(), "Send: I/O error");
}

TEST(PortMapTest, NumbersMapToDevicesAndOverridesReplaceThem) {
    PortMap ports;
    EXPECT_EQ(ports.pathFor(1), "/dev/ttyS0");
    EXPECT_EQ(ports.pathFor(4), "/dev/ttyS3");
    EXPECT_EQ(ports.pathFor(5), "/dev/ttyUSB0");
    EXPECT_EQ(ports.pathFor(8), "/dev/ttyUSB3");
    EXPECT_EQ(ports.pathFor(9), "/dev/ttyACM0");
    EXPECT_EQ(ports.pathFor(0), "");
    EXPECT_EQ(ports.pathFor(10), "");
    ports.setOverride(2, "/dev/ttyACM1");
    EXPECT_EQ(ports.pathFor(2), "/dev/ttyACM1");
    ports.setOverride(2, "");
    EXPECT_EQ(ports.pathFor(2), "/dev/ttyS1");
    ports.setOverride(0, "/dev/x"); // ignored
    ports.setOverride(-5, "/dev/x");
    EXPECT_EQ(ports.pathFor(0), "");

    EXPECT_EQ(ports.portFromArgument("3"), 3);
    EXPECT_EQ(ports.portFromArgument("com8"), 8);
    EXPECT_EQ(ports.portFromArgument("COM5"), 5);
    for (const char* bad : {"", "0", "9", "12", "COM", "COM0", "COM9", "x", "-1", "COM 1"})
        EXPECT_EQ(ports.portFromArgument(bad), 0) << bad;
    EXPECT_EQ(ports.portFromArgument("/dev/pts/7"), PortMap::kDirectPort);
    EXPECT_EQ(ports.pathFor(PortMap::kDirectPort), "/dev/pts/7");
}

} // namespace
} // namespace tovel
