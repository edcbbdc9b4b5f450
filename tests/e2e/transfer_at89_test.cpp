// The AT89S parts with 4-byte instructions (AT89S52): one SPI instruction per byte.
#include "e2e/transfer_fixture.h"

#include "ops/blank_check.h"
#include "ops/memory_programming.h"
#include "ops/memory_reading.h"
#include "ops/memory_verifying.h"
#include "sim/board_commands.h"

namespace tovel::test {
namespace {

class At89Transfer : public TransferTest {
protected:
    void SetUp() override { startBoard("AT89S52"); }
};

TEST_F(At89Transfer, EachByteIsWrittenWithItsOwnInstructionAndTheByteDelay) {
    const Bytes image = pattern(300);
    fill(flash, image);
    clock.reset();
    programFlash(context);

    EXPECT_EQ(chipFlash(0, 300), image);
    char last[32];
    std::snprintf(last, sizeof last, "34 40 01 2B %02X", image[299]);
    EXPECT_TRUE(sent(last));
    EXPECT_EQ(timesSent("34 40"), 300u);
    // 12 ms after each byte by default (plus the session's own pauses).
    EXPECT_GE(clock.waitedUs(), 300u * 12'000u);
    EXPECT_LT(clock.waitedUs(), 300u * 12'000u + 1'000'000u);
    EXPECT_EQ(ui.lastStatus(), "Flash program: Done (300 bytes programmed)");
}

TEST_F(At89Transfer, ReadVerifyAndBlankCheckUseTheReadInstruction) {
    startBoard("AT89S2051"); // the same path with a quarter of the bytes, for speed
    const Bytes image = pattern(2048, 9);
    board().setFlash(0, image);
    readFlash(context);
    EXPECT_EQ(bytesOf(flash), image);
    EXPECT_EQ(timesSent("35 20"), 2048u);
    EXPECT_TRUE(sent("35 20 07 FF"));
    EXPECT_EQ(statusesFrom("Flash read: OK"),
              (std::vector<std::string>{"Flash read: OK", "Flash length: 2048 (0x800) bytes, Checksum = 0x" +
                                                              checksumHex(image)}));

    host_->clearLog();
    flash.data()[1000] ^= 0x10;
    ui.clear();
    verifyFlash(context);
    EXPECT_EQ(ui.lastStatus(), "Flash verify: ERROR at byte 1000 (0x3E8)");

    host_->clearLog();
    blankCheck(context);
    EXPECT_EQ(ui.lastStatus(), "Blank check: Flash is not empty");
    EXPECT_EQ(timesSent("35 20"), 1u); // the first byte is programmed
    EXPECT_EQ(state.operationStatus, Outcome::NotBlank);
}

TEST_F(At89Transfer, AMissingReplyEndsTheRunWithTheConnectionErrorBox) {
    sim::Fault fault;
    fault.kind = sim::FaultKind::DropReply;
    fault.command = sim::command::SpiInstr4;
    fault.nth = 3; // the programming enable is the first
    board().injectFault(fault);
    project.flashByteDelayOverride = true;
    project.flashByteDelayMs = 0;
    fill(flash, pattern(10));
    programFlash(context);
    EXPECT_EQ(boxes(), (std::vector<std::string>{"Connection error", "Error programming Flash"}));
    EXPECT_EQ(ui.lastStatus(), "Flash program: ERROR");
    EXPECT_EQ(attributeOf(flash, 0, 1), 2);
    EXPECT_EQ(attributeOf(flash, 1, 10), 5);
}

TEST_F(At89Transfer, TheSignatureGateAsksNothingWhenAnAt89PartMeetsAnotherChip) {
    // An ATmega8 in the socket does not answer the signature read as the selected AT89S51 would:
    // a mismatch, which the gate lets pass for AT89 parts without a question.
    startBoard("ATmega8");
    select("AT89S51");
    project.checkSignature = true;
    project.flashByteDelayOverride = true;
    project.flashByteDelayMs = 0;
    fill(flash, pattern(8));
    programFlash(context);
    EXPECT_NE(state.lastSignature, (Signature{0x1E, 0x51, 0x06})); // not what was selected
    EXPECT_NE(state.lastSignature, (Signature{0x00, 0x01, 0x02})); // nor locked
    EXPECT_TRUE(questions().empty());
    EXPECT_EQ(timesSent("34 40"), 8u);
    EXPECT_EQ(ui.lastStatus(), "Flash program: Done (8 bytes programmed)");
}

} // namespace
} // namespace tovel::test
