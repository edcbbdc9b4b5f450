// A speed mismatch on the line turns bytes into garbage, in both directions.
#include <gtest/gtest.h>

#include "sim/board_model.h"
#include "sim/uart_line.h"
#include "sim_test_support.h"

using namespace tovel::sim;
using namespace tovel::sim::test;

TEST(UartLine, EqualSpeedsPassBytesAndMismatchesDecodeAsAUartWould) {
    const Bytes sent = text("%@?");
    EXPECT_EQ(decodeAtSpeed(sent, 115200, 115200), sent);
    EXPECT_TRUE(decodeAtSpeed(sent, 0, 19200).empty());
    // One "%" at 19200 seen at 115200: each bit lasts six bit times of the receiver.
    const Bytes fastView = decodeAtSpeed(text("%"), 19200, 115200);
    EXPECT_EQ(fastView, bytes({0xE0, 0xE0, 0x00, 0x00}));
    // Bytes at 115200 seen at 19200: a whole byte is shorter than one receiver bit.
    const Bytes slowView = decodeAtSpeed(text("%%%%%%"), 115200, 19200);
    EXPECT_LT(slowView.size(), 6u);
    EXPECT_NE(slowView, text("%"));
    EXPECT_EQ(decodeAtSpeed(text("%"), 19200, 115200), fastView); // deterministic
}

TEST(UartLine, WireTimeIsTenBitsAByte) {
    EXPECT_EQ(wireTimeUs(1920, 19200), 1'000'000u);
    EXPECT_EQ(wireTimeUs(1, 115200), 86u);
}

TEST(UartLine, BoardIgnoresBytesAtTheWrongSpeedAndItsRepliesAreGarbageThere) {
    BoardModel board(chipOptions("ATmega8"));
    EXPECT_TRUE(board.exchange(text("%"), 115200).empty());
    board.exchange(bytes({'#', 1, 0, 0}), 19200);
    // A host that did not switch speed: its probe is garbage to the board.
    EXPECT_TRUE(board.exchange(text("%"), 19200).empty());
    EXPECT_EQ(board.exchange(text("%"), 115200), text("+"));
    // A host that did switch, talking to a board that did not.
    BoardModel stale(chipOptions("ATmega8"));
    for (int attempt = 0; attempt < 4; ++attempt) EXPECT_NE(stale.exchange(text("%"), 921600), text("+"));
}
