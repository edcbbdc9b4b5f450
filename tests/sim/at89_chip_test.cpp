// AT89S chips in their 3-byte and 4-byte instruction variants.
#include <gtest/gtest.h>

#include "sim/board_model.h"
#include "sim_test_support.h"

using namespace tovel::sim;
using namespace tovel::sim::test;

TEST(At89Chip, At89s52LockStepsAreReadBackAndErasedAway) {
    BoardModel board(chipOptions("AT89S52"));
    openAt89Session(board, 1, true);
    EXPECT_EQ(spiRead(board, 0x24, 0, 0), 0x00);
    EXPECT_EQ(board.exchange(bytes({'4', 0xAC, 0xE1, 0x00, 0xFF})), bytes({0x0D}));
    EXPECT_EQ(spiRead(board, 0x24, 0, 0), 0x04);
    board.exchange(bytes({'4', 0xAC, 0xE2, 0x00, 0xFF}));
    EXPECT_EQ(spiRead(board, 0x24, 0, 0), 0x0C);
    board.exchange(bytes({'4', 0xAC, 0xE3, 0x00, 0xFF}));
    EXPECT_EQ(spiRead(board, 0x24, 0, 0), 0x1C);
    board.exchange(bytes({'4', 0xAC, 0x80, 0x04, 0x00}));
    EXPECT_EQ(spiRead(board, 0x24, 0, 0), 0x00);
}

TEST(At89Chip, FourByteVariantWritesAndReadsBytesAndItsSignature) {
    BoardModel board(chipOptions("AT89S51"));
    openAt89Session(board, 1, true);
    EXPECT_EQ(spiRead(board, 0x28, 0, 0), 0x1E);
    EXPECT_EQ(spiRead(board, 0x28, 1, 0), 0x51);
    EXPECT_EQ(spiRead(board, 0x28, 2, 0), 0x06);
    board.exchange(bytes({'4', 0x40, 0x0F, 0xFE, 0x5A}));
    EXPECT_EQ(board.memories().flash[0x0FFE], 0x5A);
    EXPECT_EQ(spiRead(board, 0x20, 0x0F, 0xFE), 0x5A);
    // LB1: no more writes; LB2: reads answer the address.
    board.exchange(bytes({'4', 0xAC, 0xE1, 0x00, 0xFF}));
    board.exchange(bytes({'4', 0x40, 0x00, 0x00, 0x00}));
    EXPECT_EQ(board.memories().flash[0], 0xFF);
    board.exchange(bytes({'4', 0xAC, 0xE2, 0x00, 0xFF}));
    EXPECT_EQ(spiRead(board, 0x20, 0x0F, 0xFE), 0xFE);

    BoardModel s8253(chipOptions("AT89S8253"));
    openAt89Session(s8253, 3, true);
    EXPECT_EQ(spiRead(s8253, 0x28, 0, 0x30), 0x1E);
    EXPECT_EQ(spiRead(s8253, 0x28, 0, 0x31), 0x73);
    s8253.exchange(bytes({'4', 0xC0, 0x07, 0xFF, 0x77}));
    EXPECT_EQ(spiRead(s8253, 0xA0, 0x07, 0xFF), 0x77);
}

TEST(At89Chip, ThreeByteVariantThroughTheBoardsByteCommands) {
    BoardModel board(chipOptions("AT89S8252"));
    openAt89Session(board, 1, false);
    board.exchange(bytes({'W', 0x50}));
    board.exchange(bytes({':', 0x1F, 0xFE}));
    EXPECT_EQ(board.exchange(concat(bytes({'{', 2}), bytes({0x12, 0x34}))), bytes({0x0D}));
    EXPECT_EQ(board.memories().flash[0x1FFE], 0x12);
    EXPECT_EQ(board.memories().flash[0x1FFF], 0x34);
    board.exchange(bytes({':', 0x07, 0xFF}));
    EXPECT_EQ(board.exchange(concat(bytes({'>', 1}), bytes({0x56}))), bytes({0x0D}));
    EXPECT_EQ(board.memories().eeprom[0x7FF], 0x56);
    board.exchange(bytes({':', 0x1F, 0xFE}));
    EXPECT_EQ(board.exchange(bytes({'}', 2})), bytes({0x12, 0x34}));
    board.exchange(bytes({':', 0x07, 0xFF}));
    EXPECT_EQ(board.exchange(bytes({'<', 1})), bytes({0x56}));
}

TEST(At89Chip, ThreeByteLockLevelsAndErase) {
    BoardModel board(chipOptions("AT89S53"));
    openAt89Session(board, 3, false);
    board.exchange(bytes({':', 0x2F, 0x00})); // above 8 KiB: A13 travels in bit 2
    board.exchange(concat(bytes({'{', 1}), bytes({0xA5})));
    EXPECT_EQ(board.memories().flash[0x2F00], 0xA5);
    // Level 1 (second byte 7F): LB1, further programming disabled.
    board.exchange(bytes({'3', 0xAC, 0x7F, 0xFF}));
    EXPECT_EQ(board.memories().lock, 0xFE);
    board.exchange(bytes({':', 0, 0}));
    board.exchange(concat(bytes({'{', 1}), bytes({0x00})));
    EXPECT_EQ(board.memories().flash[0], 0xFF);
    // Level 3 (1F): LB1, LB2, LB3.
    board.exchange(bytes({'3', 0xAC, 0x1F, 0xFF}));
    EXPECT_EQ(board.memories().lock, 0xF8);
    board.exchange(bytes({'3', 0xAC, 0x04, 0x00, 0x00}));
    EXPECT_EQ(board.memories().lock, 0xFF);
    EXPECT_EQ(board.memories().flash[0x2F00], 0xFF);
}
