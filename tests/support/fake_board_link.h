// A serial channel and a clock that run without hardware or real time, for the board-session
// tests: every open, close, write, read and pause goes into one wire log, in order, as text:
//
//   "open 1 @19200"   "open 3 @19200 fails"   "close"
//   "> 23 01 82 00"   (one write, bytes in hex)
//   "< 0D"  "< 4D 30 31"  "< timeout"   (what a read delivered)
//   "wait 50"
//
// Replies come from a FakeBoard per port: a well-behaved board with the required firmware,
// whose replies a test can replace command by command.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "board/serial_channel.h"
#include "core/clock.h"
#include "support/test_clock.h"

namespace tovel::test {

using Bytes = std::vector<std::uint8_t>;

Bytes bytesOf(const std::string& text);
std::string hexOf(const std::uint8_t* bytes, std::size_t count);

class WireLog {
public:
    void add(std::string entry) { entries_.push_back(std::move(entry)); }
    const std::vector<std::string>& entries() const { return entries_; }
    void clear() { entries_.clear(); }
    // The entries from the first one equal to `from` on (empty when there is none).
    std::vector<std::string> from(const std::string& first) const;

private:
    std::vector<std::string> entries_;
};

// The clock of the wire-log benches: virtual time, each pause written into the log as "wait N".
TestClock wireClock(WireLog& log);

// A board that answers every command as the command table says, with the required firmware.
class FakeBoard {
public:
    // The reply to one write of the PC. Empty: the board says nothing.
    Bytes respond(const Bytes& written);

    // Replaces the next reply to `command` (a command byte) with `reply` (empty: silence). Several
    // calls queue replies in order; afterwards the board answers normally again.
    void replyOnce(std::uint8_t command, Bytes reply) { once_[command].push_back(std::move(reply)); }
    // Replaces every reply to `command` from now on.
    void replyAlways(std::uint8_t command, Bytes reply) { always_[command] = std::move(reply); }
    // The n-th (0-based) firmware group is answered with `reply`.
    void replyToGroup(std::size_t group, Bytes reply) { groupReplies_[group] = std::move(reply); }

    std::string versionText = "Tovel-U 10.01";
    Bytes serialNumber{0x54, 0x56, 0x00, 0x10, 0x01};
    std::uint8_t dataFlashStatus = 0x9C; // AT45DB041: status & 0x3C == 0x1C
    Bytes signature{0x1E, 0x93, 0x07};
    std::size_t groupsReceived() const { return groups_; }

private:
    Bytes normalReply(const Bytes& written);

    std::map<std::uint8_t, std::deque<Bytes>> once_;
    std::map<std::uint8_t, Bytes> always_;
    std::map<std::size_t, Bytes> groupReplies_;
    bool loader_ = false;
    std::size_t loaderBytes_ = 0;
    std::size_t groups_ = 0;
};

class FakeSerialChannel final : public SerialChannel {
public:
    explicit FakeSerialChannel(WireLog& log, TestClock& clock) : log_(log), clock_(clock) {}

    bool openPort(int portIndex, std::uint32_t baud) override;
    bool closePort() override;
    bool sendByte(std::uint8_t byte) override { return sendBytes(&byte, 1); }
    bool sendBytes(const std::uint8_t* bytes, std::size_t count) override;
    const std::uint8_t* receive(std::size_t count) override;
    int receiveByte() override;
    bool isConnected() const override { return open_; }
    const char* statusText() const override { return "fake"; }

    // The board on port number `port` (1-based); ports without one open and stay silent.
    FakeBoard& board(int port) { return boards_[port]; }
    // Ports (1-based) whose open fails, as a missing or busy device does.
    std::set<int> unavailablePorts;
    // Opens with these 0-based numbers (counted over the channel's life) fail.
    std::set<std::size_t> failOpens;
    // Writes from the n-th on (0-based count of writes) fail.
    std::optional<std::size_t> failWritesFrom;
    std::uint32_t baud() const { return baud_; }

private:
    WireLog& log_;
    TestClock& clock_;
    std::map<int, FakeBoard> boards_;
    std::deque<std::uint8_t> pending_;
    Bytes rx_;
    bool open_ = false;
    int port_ = 0;
    std::uint32_t baud_ = 0;
    std::size_t writes_ = 0;
    std::size_t opens_ = 0;
};

} // namespace tovel::test
