// The signature gate Program Flash runs before writing: another chip, a locked chip, no answer.
#include "e2e/transfer_fixture.h"

#include "ops/memory_programming.h"
#include "ops/operation_frame.h"
#include "ops/signature_gate.h"
#include "sim/board_commands.h"

namespace tovel::test {
namespace {

const std::string kMismatchQuestion =
    "Device signature does not match your selection or device is locked. Do you still want to program it?";
const std::string kLockedQuestion = "Device is locked. Erase it now?";

class SignatureGate : public TransferTest {
protected:
    void SetUp() override { project.checkSignature = true; }
};

TEST_F(SignatureGate, AnotherAvrInTheSocketIsWrittenOnlyWhenThePersonSaysYes) {
    startBoard("ATmega16");
    select("ATmega8");
    fill(flash, pattern(64));
    ui.queueAnswer(Answer::No);
    programFlash(context);
    EXPECT_EQ(questions(), std::vector<std::string>{kMismatchQuestion});
    std::vector<std::string> expected = avrSessionLines("Programming Flash");
    expected.push_back("Programming cancelled");
    EXPECT_EQ(statuses(), expected);
    EXPECT_EQ(state.operationStatus, Outcome::WrongChip);
    EXPECT_EQ(state.lastSignature, (Signature{0x1E, 0x94, 0x03}));
    EXPECT_FALSE(sent("7B"));
    EXPECT_EQ(project.deviceIndex, DeviceTable::findByName("ATmega8")); // the selection stays
    EXPECT_FALSE(board().inProgrammingMode());

    ui.clear();
    ui.queueAnswer(Answer::Yes);
    programFlash(context);
    EXPECT_EQ(ui.lastStatus(), "Flash program: Done (64 bytes programmed)");
    EXPECT_EQ(chipFlash(0, 64), pattern(64));
    EXPECT_EQ(state.operationStatus, Outcome::Ok);
}

TEST_F(SignatureGate, TheRightChipPassesWithoutAQuestion) {
    startBoard("ATmega8");
    fill(flash, pattern(64));
    programFlash(context);
    EXPECT_TRUE(questions().empty());
    EXPECT_EQ(ui.lastStatus(), "Flash program: Done (64 bytes programmed)");
    EXPECT_TRUE(sent("35 30 00 00 35 30 00 01 35 30 00 02"));
}

TEST_F(SignatureGate, ALockedChipIsErasedFirstWhenThePersonAgrees) {
    sim::SimOptions options;
    options.locked = true;
    startBoard("ATmega8", options);
    fill(flash, pattern(64));

    programFlash(context);
    EXPECT_EQ(questions(), std::vector<std::string>{kLockedQuestion});
    EXPECT_EQ(ui.lastStatus(), "Programming cancelled");
    EXPECT_EQ(state.operationStatus, Outcome::Locked);
    EXPECT_FALSE(sent("34 AC 80 04 00"));

    ui.clear();
    host_->clearLog();
    ui.queueAnswer(Answer::Yes);
    programFlash(context);
    EXPECT_EQ(questions(), std::vector<std::string>{kLockedQuestion});
    EXPECT_TRUE(sent("35 30 00 02 34 AC 80 04 00 57"));
    EXPECT_EQ(ui.lastStatus(), "Flash program: Done (64 bytes programmed)");
    EXPECT_EQ(chipFlash(0, 64), pattern(64));
}

TEST_F(SignatureGate, AnUnreadableSignatureStopsBeforeWriting) {
    startBoard("ATmega8");
    sim::Fault fault;
    fault.kind = sim::FaultKind::DropReply;
    fault.command = sim::command::SpiInstrRead;
    fault.nth = 2;
    board().injectFault(fault);
    fill(flash, pattern(64));
    programFlash(context);
    EXPECT_EQ(boxes(), (std::vector<std::string>{"Error reading signature",
                                                 "Connection error while verifying signature"}));
    EXPECT_EQ(ui.lastStatus(), "Connection error while verifying signature");
    EXPECT_EQ(state.operationStatus, Outcome::Connection);
    EXPECT_FALSE(sent("7B"));
    EXPECT_FALSE(ui.busy());
}

TEST_F(SignatureGate, CompareSignatureTellsTheSelectedChipFromAnother) {
    startBoard("ATmega8");
    OperationFrame frame(context, msg::ProgrammingFlash);
    ASSERT_TRUE(frame.beginAtLinkSpeed());
    compareSignature(context);
    EXPECT_EQ(state.operationStatus, Outcome::Ok);
    select("ATmega16");
    compareSignature(context);
    EXPECT_EQ(state.operationStatus, Outcome::WrongChip);
    EXPECT_EQ(project.deviceIndex, DeviceTable::findByName("ATmega16")); // never switched here
}

TEST_F(SignatureGate, DataFlashHasNoGate) {
    startBoard("AT45DB041");
    fill(flash, pattern(16));
    programFlash(context);
    EXPECT_TRUE(questions().empty());
    EXPECT_FALSE(sent("35 30"));
    EXPECT_EQ(ui.lastStatus(), "Flash program: Done (16 bytes programmed)");
}

} // namespace
} // namespace tovel::test
