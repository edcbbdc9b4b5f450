// Auto-program's steps in the order they reach the chip: erase, blank check, Flash program and
// verify, EEPROM program and verify, and only then the lock and fuse bits.
#include "e2e/ops_bench.h"

#include "project/project.h"

namespace tovel::test {
namespace {

class AutoProgramOrder : public OpsBench {};

TEST_F(AutoProgramOrder, LockAndFuseBitsFollowEveryMemoryStep) {
    start("ATmega8");
    ASSERT_TRUE(bench().loadBufferFile(Memory::Flash, writeFile("flash.bin", Bytes(128, 0x11))));
    ASSERT_TRUE(bench().loadBufferFile(Memory::Eeprom, writeFile("eeprom.bin", Bytes(16, 0x22))));
    Project& project = bench().project();
    project.autoErase = true;
    project.autoEmptyCheck = true;
    project.autoFlashProgram = true;
    project.autoFlashVerify = true;
    project.autoEepromProgram = true;
    project.autoEepromVerify = true;
    project.programFuses = true;
    project.lockFuseSelection.lockMode = 1;
    ui.queueAnswer(Answer::Yes); // the selection leaves SPIEN unprogrammed: the person confirms
    bench().autoProgram();
    ASSERT_EQ(ui.lastStatus(), "Autoprogram: DONE (128 Flash and 16 Eeprom bytes programmed)");

    // Each step's mark on the wire, each found after the one before it.
    const char* const steps[] = {
        "34 AC 80 04 00", // chip erase
        "57 DC 7D 40",    // blank check reads from address 0
        "7B 10 11 11",    // first Flash page load
        "34 4C 00 20 00", // last Flash page write
        "57 DC 7D 40",    // Flash verify
        "3E 10 22 22",    // EEPROM write
        "3C 10",          // EEPROM verify
        "34 AC A0 FF FF", // low fuse
        "34 AC FF FF FE", // lock bits, level 1
    };
    std::size_t at = 0;
    for (const char* step : steps) {
        at = findSent(step, at);
        ASSERT_NE(at, std::string::npos) << step << " missing or out of order";
        ++at;
    }
    // Nothing touches the memories once the lock bits are written.
    const std::size_t lock = findSent("34 AC FF FF FE");
    for (const char* memoryCommand : {"7B", "3E", "34 4C", "34 AC 80"})
        EXPECT_EQ(findSent(memoryCommand, lock), std::string::npos) << memoryCommand;
    EXPECT_EQ(board().lockBits() & 0x03, 0x02);
}

// A verify that finds a difference ends the run there: no DONE, and no lock bits on a chip
// that does not hold the image.
TEST_F(AutoProgramOrder, AVerifyThatFindsADifferenceEndsTheRunBeforeTheLockBits) {
    start("ATmega8");
    ASSERT_TRUE(bench().loadBufferFile(Memory::Flash, writeFile("flash.bin", Bytes(128, 0x11))));
    board().setFlash(0, Bytes(128, 0x33)); // not what the buffer holds
    Project& project = bench().project();
    project.autoFlashVerify = true;
    project.programFuses = true;
    project.lockFuseSelection.lockMode = 1;
    ui.queueAnswer(Answer::Yes); // the selection leaves SPIEN unprogrammed: the person confirms
    bench().autoProgram();

    EXPECT_EQ(ui.lastStatus(), "Autoprogram: ERROR verifying Flash");
    EXPECT_FALSE(bench().autoProgramOk());
    EXPECT_FALSE(sent("34 AC FF FF FE"));
    EXPECT_EQ(board().lockBits() & 0x03, 0x03);
}

// A verify on its own is an action: a chip that holds the image passes the run.
TEST_F(AutoProgramOrder, AVerifyAloneThatMatchesIsDone) {
    start("ATmega8");
    ASSERT_TRUE(bench().loadBufferFile(Memory::Flash, writeFile("flash.bin", Bytes(128, 0x11))));
    board().setFlash(0, Bytes(128, 0x11));
    bench().project().autoFlashVerify = true;
    bench().autoProgram();

    EXPECT_EQ(ui.lastStatus(), "Autoprogram: DONE (no buffers programmed)");
    EXPECT_TRUE(bench().autoProgramOk());
}

} // namespace
} // namespace tovel::test
