// The optional timing model and the floor it reports.
#include <gtest/gtest.h>

#include "sim/board_model.h"
#include "sim_test_support.h"

using namespace tovel::sim;
using namespace tovel::sim::test;

namespace {
SimOptions timed(const std::string& device, unsigned latencyUs = 0) {
    SimOptions options = chipOptions(device);
    options.timing.enabled = true;
    options.timing.replyLatencyUs = latencyUs;
    return options;
}
} // namespace

TEST(Timing, RepliesComeAfterWireTimeAndLatency) {
    BoardModel board(timed("ATmega8", 16000));
    const std::vector<Transmission> replies = board.feed(text("@"), 19200, 0);
    ASSERT_EQ(replies.size(), 1u);
    // One byte in (520 us), 16 ms of latency, three bytes out (1562 us).
    EXPECT_EQ(replies[0].atUs, 520u + 16000u + 1562u);
    const TimingReport report = board.timing();
    EXPECT_EQ(report.wireUs, 520u + 1562u);
    EXPECT_EQ(report.latencyUs, 16000u);

    BoardModel untimed(chipOptions("ATmega8"));
    EXPECT_EQ(untimed.feed(text("@"), 19200, 7).at(0).atUs, 7u);
    EXPECT_EQ(untimed.timing().wireUs, 520u + 1562u); // counted even when not imposed
}

TEST(Timing, ChipWriteTimesEnterTheFloorAndTheBoardWaitsForABusyChip) {
    BoardModel board(timed("ATmega8"));
    openAvrSession(board, 2);
    board.resetTiming();
    board.exchange(bytes({'4', 0x4C, 0, 0, 0}), 19200);
    EXPECT_EQ(board.timing().chipUs, 4500u);
    // The next instruction waits until the page is written.
    const std::uint64_t before = board.feed(bytes({'4', 0xC0, 0, 0, 1}), 19200, 0).at(0).atUs;
    EXPECT_GE(before, 4500u);
    EXPECT_EQ(board.timing().chipUs, 4500u + 9000u);
}

TEST(Timing, SerialMemoryWriteTimes) {
    BoardModel at45(timed("AT45DB041"));
    at45.exchange(text("l"));
    at45.exchange(bytes({'0', 0, 4, 0x83, 0, 0, 0}));
    at45.exchange(text("k"));
    EXPECT_EQ(at45.timing().chipUs, 7000u);

    BoardModel at25(timed("AT25256"));
    for (const Bytes& step : {text("9"), bytes({'6', 6}), text("8"), text("9"), bytes({'6', 2}),
                              bytes({'6', 0}), bytes({'6', 0}), bytes({'6', 0x55}), text("8")})
        at25.exchange(step);
    EXPECT_EQ(at25.timing().chipUs, 5000u);
}

TEST(Timing, SpiClockTimeFollowsTheSckPeriod) {
    BoardModel board(timed("ATmega8"));
    board.exchange(bytes({'#', 0, 0x82, 0})); // 4 us a bit
    board.resetTiming();
    board.exchange(bytes({'5', 0x30, 0, 0}));
    EXPECT_EQ(board.timing().spiUs, 4u * 32u);
}
