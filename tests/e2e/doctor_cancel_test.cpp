// Cancelling the connection doctor against the simulated board: the ladder stops between rungs
// and within them, promptly, tells nothing of the rung it cut short, closes the port and leaves
// the board idle at 19200 baud (a second run right after works).
#include <gtest/gtest.h>

#include <chrono>
#include <functional>

#include "board/port_map.h"
#include "board/posix_serial_channel.h"
#include "core/stoppable_clock.h"
#include "doctor/connection_doctor.h"
#include "sim/command_line.h"
#include "sim/pty_board_host.h"

using namespace tovel;
using namespace tovel::doctor;

namespace {

// The real channel, with a look at every open: `onOpen` may raise the stop there, as a Cancel
// pressed while the doctor is at that step would.
class WatchedChannel final : public SerialChannel {
public:
    explicit WatchedChannel(SerialChannel& inner) : inner_(inner) {}
    std::function<void(std::uint32_t baud)> onOpen;
    std::vector<std::uint32_t> opens;

    bool openPort(int portIndex, std::uint32_t baud) override {
        const bool opened = inner_.openPort(portIndex, baud);
        opens.push_back(baud);
        if (onOpen) onOpen(baud);
        return opened;
    }
    bool closePort() override { return inner_.closePort(); }
    bool sendByte(std::uint8_t byte) override { return inner_.sendByte(byte); }
    bool sendBytes(const std::uint8_t* bytes, std::size_t count) override {
        return inner_.sendBytes(bytes, count);
    }
    const std::uint8_t* receive(std::size_t count) override { return inner_.receive(count); }
    int receiveByte() override { return inner_.receiveByte(); }
    void discardInput() override { inner_.discardInput(); }
    bool isConnected() const override { return inner_.isConnected(); }
    const char* statusText() const override { return inner_.statusText(); }

private:
    SerialChannel& inner_;
};

class DoctorCancel : public ::testing::Test {
protected:
    void startBoard(const std::vector<std::string>& simOptions) {
        board = std::make_unique<sim::PtyBoardHost>(sim::parseCommandLine(simOptions).options);
        ASSERT_TRUE(board->ok()) << board->error();
        ports.setOverride(1, board->slavePath());
        port.watchStop(&stop);
        settings.comPort = 1;
        settings.portPath = board->slavePath();
        settings.stop = &stop;
    }

    // Runs the ladder; `told` gets the keys of the checks as the sink heard them.
    DoctorReport run(std::vector<std::string>& told,
                     const std::function<void(const DoctorCheck&)>& also = {}) {
        const auto began = std::chrono::steady_clock::now();
        DoctorReport report = runDoctor(channel, clock, messages, settings, [&](const DoctorCheck& check) {
            told.push_back(check.key);
            if (also) also(check);
        });
        elapsedMs =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - began)
                .count();
        return report;
    }

    // The board answers a whole ladder again once the request is gone.
    void expectBoardLeftIdle() {
        stop.clear();
        channel.onOpen = nullptr;
        settings.roundTrips = DoctorSettings{}.roundTrips;
        std::vector<std::string> told;
        const DoctorReport again = run(told);
        EXPECT_EQ(again.verdict, DoctorVerdict::Works) << render(again.checks.back().finding, messages);
    }

    std::unique_ptr<sim::PtyBoardHost> board;
    PortMap ports;
    StopRequest stop;
    StoppableClock clock{systemClock(), stop};
    PosixSerialChannel port{ports};
    WatchedChannel channel{port};
    Messages messages;
    DoctorSettings settings;
    long long elapsedMs = 0;
};

void expectCancelledSummary(const DoctorReport& report, const Messages& messages) {
    EXPECT_EQ(report.verdict, DoctorVerdict::Cancelled);
    ASSERT_FALSE(report.checks.empty());
    EXPECT_EQ(report.checks.back().key, "summary");
    EXPECT_EQ(report.checks.back().state, CheckState::Warn);
    EXPECT_EQ(render(report.checks.back().finding, messages), "the diagnosis was cancelled before its end");
}

} // namespace

TEST_F(DoctorCancel, BetweenRungsNothingMoreIsSentToTheBoard) {
    startBoard({});
    std::vector<std::string> told;
    const DoctorReport report = run(told, [&](const DoctorCheck& check) {
        if (check.key == "open") stop.raise();
    });
    expectCancelledSummary(report, messages);
    EXPECT_EQ(told, (std::vector<std::string>{"port", "access", "holders", "open", "summary"}));
    EXPECT_EQ(channel.opens, (std::vector<std::uint32_t>{19200}));
    EXPECT_FALSE(channel.isConnected());
    expectBoardLeftIdle();
}

TEST_F(DoctorCancel, WithinTheLinkSpeedRungTheBoardIsBroughtBackTo19200) {
    startBoard({});
    settings.roundTrips = 100000; // long enough that only the request can end it soon
    std::vector<std::string> told;
    channel.onOpen = [&](std::uint32_t baud) {
        if (baud == SerialChannel::kBaud115200) stop.raise();
    };
    const DoctorReport report = run(told);
    expectCancelledSummary(report, messages);
    EXPECT_EQ(told.back(), "summary");
    EXPECT_EQ(std::count(told.begin(), told.end(), "link-speed"), 0) << "the rung cut short is not told";
    EXPECT_EQ(told[told.size() - 2], "firmware");
    // Never on to 921600, and back at 19200 before the port closed.
    EXPECT_EQ(channel.opens.back(), SerialChannel::kBaud19200);
    EXPECT_EQ(std::count(channel.opens.begin(), channel.opens.end(), SerialChannel::kBaud921600), 0);
    EXPECT_FALSE(channel.isConnected());
    EXPECT_LT(elapsedMs, 3000);
    expectBoardLeftIdle();
}

TEST_F(DoctorCancel, WithinTheChipRungNoSlowerPeriodIsTried) {
    // Reads agree only at 32 us and slower: a full run would open a session at every period.
    startBoard({"--slow-chip-clock", "32000"});
    settings.project.sckPeriodIndex = 0;
    std::vector<std::string> told;
    bool chipRung = false;
    int chipSessions = 0;
    channel.onOpen = [&](std::uint32_t) {
        if (chipRung && ++chipSessions == 2) stop.raise();
    };
    const DoctorReport report = run(told, [&](const DoctorCheck& check) {
        if (check.key == "link-speed") chipRung = true;
    });
    expectCancelledSummary(report, messages);
    EXPECT_EQ(told[told.size() - 2], "link-speed");
    EXPECT_EQ(chipSessions, 2) << "the second period's session was the last";
    EXPECT_FALSE(channel.isConnected());
    EXPECT_LT(elapsedMs, 5000);
    expectBoardLeftIdle();
}
