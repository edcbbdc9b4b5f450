// Faults injected on request, counted by replies.
#include <gtest/gtest.h>

#include "sim/board_model.h"
#include "sim_test_support.h"

using namespace tovel::sim;
using namespace tovel::sim::test;

TEST(Faults, DropCorruptReplaceAndOutOfStepActOnTheNthReply) {
    BoardModel board(chipOptions("ATmega8"));
    board.injectFault(Fault::at(FaultKind::DropReply, 2));
    EXPECT_EQ(board.exchange(text("%")), text("+"));
    EXPECT_TRUE(board.exchange(text("%")).empty());
    EXPECT_EQ(board.exchange(text("%")), text("+"));

    board.injectFault(Fault::at(FaultKind::CorruptReply, 1).withPattern(0x01));
    EXPECT_EQ(board.exchange(text("@")), bytes({0x4C, 0x31, 0x30}));

    board.injectFault(Fault::at(FaultKind::ReplaceReply, 1).times(2).withBytes(text("x")));
    EXPECT_EQ(board.exchange(text("%")), text("x"));
    EXPECT_EQ(board.exchange(text("%")), text("x"));
    EXPECT_EQ(board.exchange(text("%")), text("+"));

    board.injectFault(Fault::at(FaultKind::OutOfStep, 1).withPattern(0x55));
    EXPECT_EQ(board.exchange(text("%")), bytes({0x55, '+'}));
}

TEST(Faults, ACommandFilterCountsOnlyThatCommandsReplies) {
    BoardModel board(chipOptions("ATmega8"));
    openAvrSession(board, 2);
    board.injectFault(Fault::at(FaultKind::DropReply, 2, '5'));
    EXPECT_EQ(board.exchange(text("%")), text("*"));
    EXPECT_EQ(spiRead(board, 0x30, 0, 0), 0x1E);
    EXPECT_EQ(board.exchange(text("%")), text("*"));
    EXPECT_TRUE(board.exchange(bytes({'5', 0x30, 0, 1})).empty());
}

TEST(Faults, PollingFailureAnswersTheWriteWith1BAndWritesNothing) {
    BoardModel board(chipOptions("ATmega8"));
    openAvrSession(board, 2);
    board.injectFault(Fault::at(FaultKind::PollingFailure, 2));
    EXPECT_EQ(board.exchange(text("%")), text("*")); // not a write: not counted
    EXPECT_EQ(board.exchange(concat(bytes({'>', 1}), bytes({0x11}))), bytes({0x0D}));
    EXPECT_EQ(board.exchange(concat(bytes({'>', 1}), bytes({0x22}))), bytes({0x1B}));
    EXPECT_EQ(board.memories().eeprom[0], 0x11);
    EXPECT_EQ(board.memories().eeprom[1], 0xFF);
}

TEST(Faults, DelayedRepliesAndStallsFollowTheBoardsClock) {
    BoardModel board(chipOptions("ATmega8"));
    board.injectFault(Fault::at(FaultKind::DelayReply, 1).withDelay(3000));
    std::vector<Transmission> replies = board.feed(text("%"), 19200, 1000);
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].atUs, 1000u + 3'000'000u);

    board.injectFault(Fault::at(FaultKind::Stall, 1).withDelay(500));
    EXPECT_TRUE(board.feed(text("%"), 19200, 10'000).empty());
    EXPECT_TRUE(board.feed(text("%"), 19200, 400'000).empty());
    EXPECT_EQ(board.feed(text("%"), 19200, 600'000).size(), 1u);
}

TEST(Faults, SilenceUntilClearedAndOtherFirmwareStates) {
    BoardModel board(chipOptions("ATmega8"));
    board.injectFault(Fault::at(FaultKind::Silence, 0));
    EXPECT_TRUE(board.exchange(text("%")).empty());
    board.clearFaults();
    EXPECT_EQ(board.exchange(text("%")), text("+"));

    board.injectFault(Fault::at(FaultKind::OtherVersion, 0).withBytes(text("M02")));
    EXPECT_EQ(board.exchange(text("@")), text("M02"));
    board.injectFault(Fault::at(FaultKind::LoaderOnly, 2));
    EXPECT_EQ(board.exchange(text("%")), text("+"));
    EXPECT_EQ(board.exchange(text("%")), text("-"));
}

TEST(Faults, ResetInMidTransferDropsTheSessionBackTo19200) {
    BoardModel board(chipOptions("ATmega8"));
    board.exchange(bytes({'&', 2}));
    board.exchange(bytes({'#', 1, 0x82, 0}));
    board.exchange(text("Q"), 115200);
    board.exchange(text("="), 115200);
    board.injectFault(Fault::at(FaultKind::BoardReset, 3, '{'));
    const Bytes load = concat(bytes({'{', 16}), Bytes(16, 0x00));
    EXPECT_EQ(board.exchange(load, 115200), bytes({0x0D}));
    EXPECT_EQ(board.exchange(load, 115200), bytes({0x0D}));
    EXPECT_TRUE(board.exchange(load, 115200).empty());
    EXPECT_EQ(board.baud(), 19200);
    EXPECT_FALSE(board.inProgrammingMode());
    EXPECT_TRUE(board.exchange(text("%"), 115200).empty());
    EXPECT_EQ(board.exchange(text("%"), 19200), text("+"));
}

TEST(Faults, ChipFaultsLockOrSwapTheChip) {
    BoardModel board(chipOptions("ATmega8"));
    openAvrSession(board, 2);
    board.injectFault(Fault::at(FaultKind::LockChip, 0));
    EXPECT_EQ(signature(board), bytes({0x00, 0x01, 0x02}));
    board.injectFault(Fault::at(FaultKind::StayLocked, 0));
    board.exchange(bytes({'4', 0xAC, 0x80, 0x04, 0x00}));
    EXPECT_EQ(signature(board), bytes({0x00, 0x01, 0x02}));

    board.injectFault(Fault::at(FaultKind::SwapChip, 0).withDevice("ATmega16"));
    board.exchange(text("Q"));
    board.exchange(text("="));
    EXPECT_EQ(signature(board), bytes({0x1E, 0x94, 0x03}));
    board.injectFault(Fault::at(FaultKind::SwapChip, 0).withDevice("none"));
    EXPECT_EQ(signature(board), bytes({0xFF, 0xFF, 0xFF}));
}
