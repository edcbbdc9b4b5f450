// Flash programming in page mode, verify, read and blank check on an ATmega8 (32-word pages).
#include "e2e/transfer_fixture.h"

#include "ops/blank_check.h"
#include "ops/memory_programming.h"
#include "ops/memory_reading.h"
#include "ops/memory_verifying.h"
#include "sim/board_commands.h"

namespace tovel::test {
namespace {

class AvrPageTransfer : public TransferTest {
protected:
    void SetUp() override { startBoard("ATmega8"); }
};

TEST_F(AvrPageTransfer, AHundredByteImageGoesInTwoPagesTheSecondPaddedWithErasedBytes) {
    const Bytes image = pattern(100);
    fill(flash, image);
    programFlash(context);

    EXPECT_EQ(chipFlash(0, 100), image);
    EXPECT_EQ(chipFlash(0, 192), [&] {
        Bytes expected = image;
        expected.resize(192, 0xFF);
        return expected;
    }());
    // The device's wait code, then the address pointer to 0, then the first load.
    EXPECT_TRUE(sent("57 DC 3A 00 00 7B 10"));
    EXPECT_EQ(timesSent("34 4C 00 00 00"), 1u);
    EXPECT_EQ(timesSent("34 4C 00 20 00"), 1u);
    EXPECT_EQ(timesSent("7B 10"), 8u); // four quarter-page loads of 16 bytes per page
    // The last quarter of the second page is all padding.
    EXPECT_TRUE(sent("7B 10 FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF 34 4C 00 20 00"));

    std::vector<std::string> expected = avrSessionLines("Programming Flash");
    expected.push_back("Flash program: Done (100 bytes programmed)");
    EXPECT_EQ(statuses(), expected);
    EXPECT_TRUE(boxes().empty());
    EXPECT_EQ(attributeOf(flash, 0, 100), kProgrammed);
    EXPECT_EQ(state.operationStatus, Outcome::Ok);
    EXPECT_FALSE(flash.plain());
    EXPECT_FALSE(ui.busy());
    EXPECT_FALSE(board().inProgrammingMode());
    EXPECT_EQ(board().boardBaud(), 19200);
}

TEST_F(AvrPageTransfer, AnErasedPageIsNotSentButCountsAsProgrammed) {
    Bytes image = pattern(192);
    std::fill(image.begin() + 64, image.begin() + 128, std::uint8_t{0xFF});
    board().setFlash(64, Bytes(64, 0x00)); // a page write there would have to erase it first
    fill(flash, image);
    programFlash(context);

    EXPECT_FALSE(sent("34 4C 00 20 00"));
    EXPECT_TRUE(sent("34 4C 00 00 00"));
    EXPECT_TRUE(sent("34 4C 00 40 00"));
    EXPECT_EQ(timesSent("7B 10"), 8u);
    EXPECT_EQ(attributeOf(flash, 0, 192), kProgrammed);
    EXPECT_EQ(chipFlash(64, 65).at(0), 0x00); // untouched
    // The third page still lands at its own address although the board's pointer was not moved.
    EXPECT_EQ(chipFlash(128, 192), slice(image, 128, 192));
}

TEST_F(AvrPageTransfer, APageThatStartsErasedButHoldsDataLaterIsWritten) {
    Bytes image(192, 0xFF);
    image[0] = 0x12;        // page 1: data at its start
    image[64 + 63] = 0x5A;  // page 2: erased up to its very last byte
    image[128 + 20] = 0xA5; // page 3: data only in its second quarter
    fill(flash, image);
    programFlash(context);

    EXPECT_EQ(timesSent("34 4C 00 20 00"), 1u);
    EXPECT_EQ(timesSent("34 4C 00 40 00"), 1u);
    EXPECT_EQ(timesSent("7B 10"), 12u);
    EXPECT_EQ(chipFlash(0, 192), image);
    EXPECT_EQ(ui.lastStatus(), "Flash program: Done (192 bytes programmed)");
}

TEST_F(AvrPageTransfer, AnImageLargerThanTheChipAsksAndWritesOnlyWhatFits) {
    const Bytes image = pattern(10000);
    fill(flash, image);
    ui.queueAnswer(Answer::Ok);
    programFlash(context);

    EXPECT_EQ(questions(),
              std::vector<std::string>{"Warning: only first 8192 bytes Flash will be processed."});
    EXPECT_EQ(host_->flash(), Bytes(image.begin(), image.begin() + 8192));
    EXPECT_EQ(ui.lastStatus(), "Flash program: Done (8192 bytes programmed)");
    EXPECT_EQ(attributeOf(flash, 0, 8192), kProgrammed);
    EXPECT_EQ(attributeOf(flash, 8192, 10000), kNotConfirmed);

    // The verify compares what fits and counts what it compared.
    ui.clear();
    verifyFlash(context);
    EXPECT_EQ(ui.lastStatus(), "Flash verify: OK (8192 bytes verified)");
    EXPECT_EQ(attributeOf(flash, 0, 8192), kVerified);
    EXPECT_EQ(attributeOf(flash, 8192, 10000), kNotConfirmed);
    EXPECT_TRUE(state.flashVerified);
}

TEST_F(AvrPageTransfer, DecliningToWriteOnlyTheFirstPartWritesNothingAndSaysSo) {
    project.autoIncrementFlash = true;
    project.autoIncAddressFlash = 3;
    fill(flash, pattern(10000));
    ui.queueAnswer(Answer::Cancel);
    programFlash(context);
    EXPECT_EQ(slice(bytesOf(flash), 0, 4), slice(pattern(10000), 0, 4)); // no chip got that number

    EXPECT_FALSE(sent("7B"));
    EXPECT_EQ(host_->flash(), Bytes(8192, 0xFF));
    std::vector<std::string> expected = avrSessionLines("Programming Flash");
    expected.push_back("Programming cancelled");
    EXPECT_EQ(statuses(), expected);
    EXPECT_EQ(state.operationStatus, Outcome::Cancelled);
    EXPECT_EQ(attributeOf(flash, 0, 10000), kNotConfirmed);
}

TEST_F(AvrPageTransfer, APollingFailureOnAPageLoadEndsWithBothBoxes) {
    project.autoIncrementFlash = true;
    project.autoIncAddressFlash = 3;
    sim::Fault fault;
    fault.kind = sim::FaultKind::PollingFailure;
    fault.command = sim::command::WriteFlashBytes;
    fault.nth = 3;
    board().injectFault(fault);
    fill(flash, pattern(256));
    programFlash(context);

    EXPECT_EQ(boxes(), (std::vector<std::string>{"Connection error", "Error during polling"}));
    EXPECT_EQ(ui.lastStatus(), "Error during polling");
    EXPECT_EQ(state.operationStatus, Outcome::Connection);
    EXPECT_FALSE(sent("34 4C"));
    EXPECT_EQ(attributeOf(flash, 0, 3), kNotConfirmed);
    // The counter moves on after a failed run too: the chip may hold the number.
    EXPECT_EQ(flash.data()[3], static_cast<std::uint8_t>(pattern(256)[3] + 1));
    EXPECT_EQ(attributeOf(flash, 3, 4), 6);
    EXPECT_EQ(attributeOf(flash, 4, 256), kNotConfirmed);
}

TEST_F(AvrPageTransfer, AMissingPageWriteReplyIsAProgrammingError) {
    sim::Fault fault;
    fault.kind = sim::FaultKind::DropReply;
    fault.command = sim::command::SpiInstr4;
    board().injectFault(fault);
    fill(flash, pattern(128));
    programFlash(context);

    EXPECT_EQ(boxes(), (std::vector<std::string>{"Connection error", "Error programming Flash"}));
    EXPECT_EQ(ui.lastStatus(), "Flash program: ERROR");
    EXPECT_EQ(attributeOf(flash, 0, 128), kNotConfirmed);
}

TEST_F(AvrPageTransfer, ThePageDelayIsWhatRemainsAfterThePageWriteReply) {
    project.flashPageDelayOverride = true;
    project.flashPageDelayMs = 30;
    // The session's own pauses, with no page written.
    fill(flash, Bytes(64, 0xFF));
    clock.reset();
    programFlash(context);
    const std::uint64_t sessionUs = clock.waitedUs();

    fill(flash, pattern(64 * 4));
    clock.reset();
    programFlash(context);
    // Four page writes: less than 4 x 30 ms of sleeping, as each reply took some of it, but most.
    const std::uint64_t pageWaitsUs = clock.waitedUs() - sessionUs;
    EXPECT_GT(pageWaitsUs, 4u * 20'000u);
    EXPECT_LT(pageWaitsUs, 4u * 30'000u);
}

TEST_F(AvrPageTransfer, VerifyMarksEveryByteAndReportsTheFirstDifference) {
    const Bytes image = pattern(100);
    board().setFlash(0, image);
    board().setFlash(10, {static_cast<std::uint8_t>(image[10] ^ 0x01)});
    board().setFlash(50, {static_cast<std::uint8_t>(image[50] ^ 0x80)});
    fill(flash, image);
    verifyFlash(context);

    std::vector<std::string> expected = avrSessionLines("Verifying Flash");
    expected.push_back("Flash verify: ERROR at byte 10 (0xA)");
    EXPECT_EQ(statuses(), expected);
    EXPECT_EQ(state.firstMismatch, 10);
    EXPECT_FALSE(state.flashVerified);
    EXPECT_EQ(state.operationStatus, Outcome::VerifyMismatch);
    EXPECT_EQ(attributeOf(flash, 0, 10), kVerified);
    EXPECT_EQ(attributeOf(flash, 10, 11), kNotConfirmed);
    EXPECT_EQ(attributeOf(flash, 11, 50), kVerified);
    EXPECT_EQ(attributeOf(flash, 50, 51), kNotConfirmed);
    EXPECT_EQ(attributeOf(flash, 51, 100), kVerified);
    EXPECT_EQ(timesSent("7D 40"), 1u); // 64 + 36 bytes
    EXPECT_EQ(timesSent("7D 24"), 1u);
}

TEST_F(AvrPageTransfer, VerifyWithoutAnImageDoesNotTouchTheBoard) {
    verifyFlash(context);
    EXPECT_EQ(statuses(), (std::vector<std::string>{"Verifying Flash", "No Flash file selected"}));
    EXPECT_EQ(sentHex(), "");
    EXPECT_FALSE(ui.busy());
}

TEST_F(AvrPageTransfer, ReadFillsTheBufferWithTheWholeChipAndEndsWithItsChecksum) {
    const Bytes image = pattern(8192, 7);
    board().setFlash(0, image);
    fill(flash, pattern(10));
    readFlash(context);

    EXPECT_EQ(bytesOf(flash), image);
    EXPECT_EQ(attributeOf(flash, 0, 8192), kRead);
    EXPECT_EQ(timesSent("7D 40"), 128u);
    unsigned sum = 0;
    for (std::uint8_t b : image) sum += b;
    char lengthLine[80];
    std::snprintf(lengthLine, sizeof lengthLine, "Flash length: 8192 (0x2000) bytes, Checksum = 0x%04X",
                  sum & 0xFFFF);
    std::vector<std::string> expected = avrSessionLines("Reading Flash");
    expected.push_back("Flash read: OK");
    expected.push_back(lengthLine);
    EXPECT_EQ(statuses(), expected);
    EXPECT_TRUE(flash.modified());
    EXPECT_EQ(state.operationStatus, Outcome::Failed); // a read leaves it alone
}

TEST_F(AvrPageTransfer, AnErasedChipIsBlankAndAProgrammedByteStopsTheCheckAtItsChunk) {
    blankCheck(context);
    EXPECT_EQ(ui.lastStatus(), "Blank check: Flash is blank");
    EXPECT_EQ(state.operationStatus, Outcome::Ok);
    EXPECT_EQ(timesSent("7D 40"), 128u);

    host_->clearLog();
    ui.clear();
    board().setFlash(70, {0x00});
    blankCheck(context);
    EXPECT_EQ(ui.lastStatus(), "Blank check: Flash is not empty");
    EXPECT_EQ(state.operationStatus, Outcome::NotBlank);
    EXPECT_EQ(timesSent("7D 40"), 2u);
    EXPECT_TRUE(boxes().empty());
}

TEST_F(AvrPageTransfer, CancelStopsAfterTheCurrentUnit) {
    cancelAt.arm(50);
    readFlash(context);
    EXPECT_EQ(statusesFrom("Flash read cancelled"),
              (std::vector<std::string>{"Flash read cancelled",
                                        "Flash length: 8192 (0x2000) bytes, Checksum = 0xE000"}));
    const std::size_t chunks = timesSent("7D 40");
    EXPECT_GE(chunks, 65u);
    EXPECT_LE(chunks, 66u);
    EXPECT_EQ(attributeOf(flash, 0, 64 * 64), kRead);
    EXPECT_EQ(attributeOf(flash, 66 * 64, 8192), kNotConfirmed);

    ui.clear();
    cancelAt.arm(0);
    fill(flash, pattern(1024));
    programFlash(context);
    EXPECT_EQ(ui.lastStatus(), "Programming cancelled");
    EXPECT_EQ(state.operationStatus, Outcome::Cancelled);
    EXPECT_EQ(attributeOf(flash, 0, 64), kProgrammed);
    EXPECT_EQ(attributeOf(flash, 64, 1024), kNotConfirmed);

    ui.clear();
    board().setFlash(0, Bytes(64, 0xFF));
    blankCheck(context);
    EXPECT_EQ(ui.lastStatus(), "Blank check cancelled");
    EXPECT_EQ(state.operationStatus, Outcome::Cancelled);
}

TEST_F(AvrPageTransfer, TheSerialCounterMovesOnAfterEachRunAndTheChipGetsTheOldValue) {
    project.autoIncrementFlash = true;
    project.autoIncAddressFlash = 0x11;
    Bytes image = pattern(64);
    image[0x0E] = 0x12;
    image[0x0F] = 0x34;
    image[0x10] = 0xFF;
    image[0x11] = 0xFF;
    fill(flash, image);
    programFlash(context);

    EXPECT_EQ(chipFlash(0x0E, 0x12), (Bytes{0x12, 0x34, 0xFF, 0xFF}));
    EXPECT_EQ(Bytes(flash.data().begin() + 0x0E, flash.data().begin() + 0x12),
              (Bytes{0x12, 0x35, 0x00, 0x00}));
    EXPECT_EQ(attributeOf(flash, 0x0F, 0x12), 6);
    EXPECT_EQ(attributeOf(flash, 0x0E, 0x0F), kProgrammed);
    EXPECT_TRUE(flash.modified());

    board().setFlash(0, Bytes(64, 0xFF)); // the next chip
    programFlash(context);
    EXPECT_EQ(chipFlash(0x0E, 0x12), (Bytes{0x12, 0x35, 0x00, 0x00}));
    EXPECT_EQ(Bytes(flash.data().begin() + 0x0E, flash.data().begin() + 0x12),
              (Bytes{0x12, 0x35, 0x00, 0x01}));
}

TEST_F(AvrPageTransfer, TheByteDelayOverrideReachesTheBoardAsItsWaitCode) {
    project.flashByteDelayOverride = true;
    for (const auto& [ms, code] : {std::pair{5u, "DC"}, std::pair{0u, "FF"}, std::pair{37u, "FC"}}) {
        project.flashByteDelayMs = ms;
        host_->clearLog();
        fill(flash, pattern(64));
        programFlash(context);
        EXPECT_TRUE(sent(std::string("57 ") + code + " 3A 00 00")) << ms;
        host_->clearLog();
        verifyFlash(context);
        EXPECT_TRUE(sent(std::string("57 ") + code + " 7D")) << ms;
    }
}

TEST_F(AvrPageTransfer, WithoutAPortNothingIsSent) {
    settings.comPort = 0;
    fill(flash, pattern(64));
    programFlash(context);
    EXPECT_EQ(statuses(),
              (std::vector<std::string>{"Programming Flash", "Select COM port or click 'search board'"}));
    EXPECT_EQ(boxes(), std::vector<std::string>{"No board specified"});
    EXPECT_EQ(sentHex(), "");
    EXPECT_FALSE(ui.busy());
}

} // namespace
} // namespace tovel::test
