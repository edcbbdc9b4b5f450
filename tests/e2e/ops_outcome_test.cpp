// The outcome a chip operation hands back is the one it keeps as the operation status, which the
// desktop program and auto-program read: one value for every front end, whatever the texts say.
#include "e2e/ops_bench.h"

#include "image/memory_buffer.h"
#include "ops/chip_context.h"
#include "project/project.h"

namespace tovel::test {
namespace {

using OperationOutcomes = OpsBench;

TEST_F(OperationOutcomes, EachOperationKeepsTheOutcomeItReturns) {
    sim::SimOptions locked;
    locked.locked = true;
    locked.stayLocked = true;
    start("ATmega8", locked);
    Outcome outcome = bench().chipErase();
    EXPECT_EQ(outcome, Outcome::Locked);
    EXPECT_EQ(bench().state().operationStatus, outcome);

    start("ATmega8");
    board().setFlash(0, {0x00});
    outcome = bench().blankCheck();
    EXPECT_EQ(outcome, Outcome::NotBlank);
    EXPECT_EQ(bench().state().operationStatus, outcome);

    ASSERT_TRUE(bench().loadBufferFile(Memory::Flash, writeFile("image.bin", Bytes(64, 0x3C))));
    outcome = bench().verifyFlash();
    EXPECT_EQ(outcome, Outcome::VerifyMismatch);
    EXPECT_EQ(bench().state().operationStatus, outcome);
    EXPECT_EQ(bench().state().firstMismatch, 0);

    outcome = bench().programFlash();
    EXPECT_EQ(outcome, Outcome::Ok);
    EXPECT_EQ(bench().state().operationStatus, outcome);
}

TEST_F(OperationOutcomes, TheSameFailureInEitherLanguage) {
    for (const Language language : {Language::English, Language::Russian}) {
        start("ATmega16", {}, "ATmega8");
        bench().setLanguage(language);
        bench().project().checkSignature = true;
        ASSERT_TRUE(bench().loadBufferFile(Memory::Flash, writeFile("image.bin", Bytes(64, 0x3C))));
        ui.defaultAnswer = Answer::No; // not on another chip
        EXPECT_EQ(bench().programFlash(), Outcome::WrongChip);
        EXPECT_EQ(bench().readSignature(), Outcome::Ok); // it reads and names the other chip
    }
}

} // namespace
} // namespace tovel::test
