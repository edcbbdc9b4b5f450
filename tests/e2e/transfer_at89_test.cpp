// The AT89S parts with 4-byte instructions (AT89S52): one SPI instruction per byte.
#include "e2e/transfer_fixture.h"

#include "ops/blank_check.h"
#include "ops/memory_programming.h"
#include "ops/memory_reading.h"
#include "ops/memory_verifying.h"

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

    EXPECT_EQ(Bytes(host_->flash().begin(), host_->flash().begin() + 300), image);
    char last[32];
    std::snprintf(last, sizeof last, "34 40 01 2B %02X", image[299]);
    EXPECT_TRUE(sent(last));
    EXPECT_EQ(timesSent("34 40"), 300u);
    EXPECT_FALSE(sent("57")); // no wait code: the program paces the bytes itself
    // 12 ms after each byte by default (plus the session's own pauses).
    EXPECT_GE(clock.waitedUs(), 300u * 12'000u);
    EXPECT_LT(clock.waitedUs(), 300u * 12'000u + 1'000'000u);
    EXPECT_EQ(ui.lastStatus(), "Flash program: Done (300 bytes programmed)");
}

TEST_F(At89Transfer, ReadVerifyAndBlankCheckUseTheReadInstruction) {
    const Bytes image = pattern(8192, 9);
    board().setFlash(0, image);
    readFlash(context);
    EXPECT_EQ(bytesOf(flash), image);
    EXPECT_EQ(timesSent("35 20"), 8192u);
    EXPECT_TRUE(sent("35 20 1F FF"));

    host_->clearLog();
    flash.data()[4000] ^= 0x10;
    ui.clear();
    verifyFlash(context);
    EXPECT_EQ(ui.lastStatus(), "Flash verify: ERROR at byte 4000 (0xFA0)");

    host_->clearLog();
    blankCheck(context);
    EXPECT_EQ(ui.lastStatus(), "Blank check: Flash is not empty");
    EXPECT_EQ(timesSent("35 20"), 1u); // the first byte is programmed
    EXPECT_EQ(state.operationStatus, 1);
}

TEST_F(At89Transfer, AMissingReplyEndsTheRunWithTheConnectionErrorBox) {
    sim::Fault fault;
    fault.kind = sim::FaultKind::DropReply;
    fault.command = '4';
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

TEST_F(At89Transfer, TheSignatureGateAsksNothingForAnAt89Part) {
    project.checkSignature = true;
    select("AT89S51"); // the socket holds an AT89S52
    fill(flash, pattern(8));
    programFlash(context);
    EXPECT_TRUE(questions().empty());
    EXPECT_EQ(ui.lastStatus(), "Flash program: Done (8 bytes programmed)");
    EXPECT_EQ(Bytes(host_->flash().begin(), host_->flash().begin() + 8), pattern(8));
}

} // namespace
} // namespace tovel::test
