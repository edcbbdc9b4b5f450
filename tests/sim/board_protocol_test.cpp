// The board's side of the command table and of the session procedures.
#include <gtest/gtest.h>

#include "sim/board_model.h"
#include "sim_test_support.h"

using namespace tovel::sim;
using namespace tovel::sim::test;

TEST(BoardProtocol, WorkedExampleOfAnAtmegaSessionAt115200) {
    BoardModel board(chipOptions("ATmega8"));
    EXPECT_EQ(board.exchange(text("%")), text("+"));
    EXPECT_EQ(board.exchange(bytes({0x40})), bytes({0x4D, 0x30, 0x31}));
    EXPECT_EQ(board.exchange(bytes({'&', 0x02})), bytes({0x0D}));
    EXPECT_EQ(board.exchange(bytes({':', 0x00, 0x00})), bytes({0x0D}));
    // The Ack comes at the old speed; then the board is at 115200.
    EXPECT_EQ(board.exchange(bytes({'#', 0x01, 0x82, 0x00}), 19200), bytes({0x0D}));
    EXPECT_EQ(board.baud(), 115200);
    EXPECT_EQ(board.exchange(text("Q"), 115200).size(), 1u);
    EXPECT_EQ(board.exchange(text("="), 115200), bytes({0x0D}));
    EXPECT_TRUE(board.inProgrammingMode());
    EXPECT_EQ(board.exchange(text("%"), 115200), text("*"));
    EXPECT_EQ(board.exchange(bytes({'5', 0x30, 0, 1}), 115200), bytes({0x93}));
    // recoverBoard
    EXPECT_EQ(board.exchange(text("-"), 115200), bytes({0x0D}));
    EXPECT_EQ(board.exchange(bytes({'#', 0x00, 0x82, 0x00}), 115200), bytes({0x0D}));
    EXPECT_EQ(board.baud(), 19200);
    EXPECT_FALSE(board.inProgrammingMode());
    EXPECT_EQ(board.exchange(text("%"), 19200), text("+"));
}

TEST(BoardProtocol, LinkParameterIndexesAboveOneMean921600) {
    BoardModel board(chipOptions("ATmega8"));
    board.exchange(bytes({'#', 0x02, 0x00, 0x01}));
    EXPECT_EQ(board.baud(), 921600);
    board.exchange(bytes({'#', 0x00, 0x00, 0x00}), 921600);
    board.exchange(bytes({'#', 0x07, 0x00, 0x00}));
    EXPECT_EQ(board.baud(), 921600);
}

TEST(BoardProtocol, VersionTextsSerialNumberAndVersionVariants) {
    SimOptions options = chipOptions("ATmega8");
    options.serialNumber = {0x01, 0x02, 0x03, 0x04, 0x05};
    options.versionText = "Board 1";
    BoardModel board(options);
    EXPECT_EQ(board.exchange(text("?")), concat(bytes({7}), concat(text("Board 1"), bytes({0x0D}))));
    EXPECT_EQ(board.exchange(text("N")), bytes({1, 2, 3, 4, 5, 0x0D}));

    options.firmwareVersion = "M02";
    BoardModel older(options);
    EXPECT_EQ(older.exchange(text("@")), text("M02"));
    options.firmwareVersion = "err";
    BoardModel confused(options);
    EXPECT_EQ(confused.exchange(text("@")), text("err"));

    options.versionText = "";
    BoardModel empty(options);
    EXPECT_EQ(empty.exchange(text("?")), bytes({0, 0x0D}));
}

TEST(BoardProtocol, LoaderAnswersAsTheLoaderAndIgnoresFirmwareCommands) {
    SimOptions options = chipOptions("ATmega8");
    options.firmware = FirmwareState::LoaderOnly;
    options.loaderVersion = "ld2";
    BoardModel board(options);
    EXPECT_EQ(board.exchange(text("%")), text("-"));
    EXPECT_EQ(board.exchange(text("@")), text("ld2"));
    const Bytes version = board.exchange(text("?"));
    ASSERT_GE(version.size(), 2u);
    EXPECT_NE(std::string(version.begin() + 1, version.end() - 1).find("Bootloader"), std::string::npos);
    EXPECT_EQ(version.back(), 0x0D);
    EXPECT_EQ(board.exchange(text("N")).size(), 6u);
    EXPECT_TRUE(board.exchange(bytes({'&', 2})).empty());
    EXPECT_TRUE(board.exchange(text("=")).empty());
}

TEST(BoardProtocol, NoFirmwareAnswersNothing) {
    SimOptions options = chipOptions("ATmega8");
    options.firmware = FirmwareState::None;
    BoardModel board(options);
    EXPECT_TRUE(board.exchange(text("%")).empty());
    EXPECT_TRUE(board.exchange(text("@")).empty());
}

TEST(BoardProtocol, FirmwareUploadOf3072GroupsStartsTheNewFirmware) {
    SimOptions options = chipOptions("ATmega8");
    options.firmwareVersion = "M00";
    BoardModel board(options);
    EXPECT_EQ(board.exchange(text("^")), text("+"));
    std::size_t acks = 0;
    for (int g = 0; g < 3071; ++g) {
        // Group bytes are data, even when they look like commands.
        const Bytes reply = board.exchange(bytes({'%', '@', 0x1B, g & 0xFF}));
        acks += reply == bytes({0x0D}) ? 1 : 0;
    }
    EXPECT_EQ(acks, 3071u);
    EXPECT_EQ(board.firmwareState(), FirmwareState::LoaderOnly);
    EXPECT_EQ(board.exchange(bytes({1, 2, 3, 4})), bytes({0x0D}));
    EXPECT_EQ(board.firmwareState(), FirmwareState::Running);
    EXPECT_EQ(board.exchange(text("%")), text("+"));
    EXPECT_EQ(board.exchange(text("@")), text("M01"));
}

TEST(BoardProtocol, InterruptedUploadLeavesOnlyTheLoader) {
    BoardModel board(chipOptions("ATmega8"));
    board.exchange(text("^"));
    for (int g = 0; g < 100; ++g) board.exchange(bytes({1, 2, 3, 4}));
    board.injectFault(Fault::at(FaultKind::BoardReset, 0));
    EXPECT_EQ(board.exchange(text("%")), text("-"));
    EXPECT_EQ(board.exchange(text("@")), text("ldr"));
    EXPECT_EQ(board.exchange(text("^")), text("+"));
}

TEST(BoardProtocol, EndSessionIsNotAnsweredAndLeavesTheBoardIdleAt19200) {
    BoardModel board(chipOptions("ATmega8"));
    board.exchange(bytes({'#', 1, 0, 0}));
    board.exchange(text("Q"), 115200);
    EXPECT_TRUE(board.exchange(bytes({0x1B}), 115200).empty());
    EXPECT_EQ(board.baud(), 19200);
    EXPECT_FALSE(board.inProgrammingMode());
}

TEST(BoardProtocol, StrayAndUnknownBytesAreIgnored) {
    BoardModel board(chipOptions("AT89S8252"));
    openAt89Session(board, 1, false);
    // Chip erase as the host sends it: a 3-byte instruction and one byte more.
    EXPECT_EQ(board.exchange(bytes({'3', 0xAC, 0x04, 0x00, 0x00})), bytes({0x0D}));
    EXPECT_TRUE(board.exchange(bytes({0x00, 0xFE, 'Z'})).empty());
    EXPECT_EQ(board.exchange(text("%")), text("*"));
}

TEST(BoardProtocol, AnIncompleteCommandIsDroppedAfterASecondOfSilence) {
    BoardModel board(chipOptions("ATmega8"));
    EXPECT_TRUE(board.feed(bytes({'{', 10, 1, 2}), 19200, 1'000'000).empty());
    // The host gave up and started again: without the timeout these bytes would be data.
    const std::vector<Transmission> replies = board.feed(text("%"), 19200, 2'500'000);
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].bytes, text("+"));
}

TEST(BoardProtocol, At45DetectionReadsTheStatusThroughAFrame) {
    BoardModel board(chipOptions("AT45DB041"));
    board.exchange(bytes({'&', 0}));
    EXPECT_EQ(board.exchange(text("l")), bytes({0x0D}));
    EXPECT_EQ(board.exchange(bytes({'6', 0x57})), bytes({0x0D}));
    EXPECT_EQ(board.exchange(text("7")), bytes({0x9C}));
    EXPECT_EQ(board.exchange(text("k")), bytes({0x0D}));

    BoardModel empty(chipOptions("none"));
    empty.exchange(text("l"));
    empty.exchange(bytes({'6', 0x57}));
    EXPECT_EQ(empty.exchange(text("7")), bytes({0xFF}));
}

TEST(BoardProtocol, EmptySocketAndLockedOutChipsFailProgrammingEnable) {
    BoardModel empty(chipOptions("none"));
    empty.exchange(text("Q"));
    EXPECT_NE(empty.exchange(text("=")), bytes({0x0D}));
    EXPECT_EQ(signature(empty), bytes({0xFF, 0xFF, 0xFF}));
}
