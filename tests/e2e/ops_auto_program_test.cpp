// Auto-program against the simulated board: the final texts, the serial counter incremented by
// the sequence (after the verify, and only when everything went through), and the steps that
// stop a run.
#include "e2e/ops_bench.h"

#include <algorithm>
#include <filesystem>

#include "image/memory_buffer.h"
#include "ops/chip_context.h"
#include "project/project.h"
#include "sim/board_commands.h"
#include "unit/image_test_files.h"

namespace tovel::test {
namespace {

class AutoProgramming : public OpsBench {
protected:
    static Bytes image(std::size_t size) {
        Bytes bytes(size);
        for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
        return bytes;
    }
    void loadFlash(const Bytes& bytes) {
        ASSERT_TRUE(bench().loadBufferFile(Memory::Flash, writeFile("flash.bin", bytes)));
    }
    void loadEeprom(const Bytes& bytes) {
        ASSERT_TRUE(bench().loadBufferFile(Memory::Eeprom, writeFile("eeprom.bin", bytes)));
    }
    Project& project() { return bench().project(); }
    bool statusShown(const std::string& text) const {
        const auto statuses = ui.statuses();
        return std::find(statuses.begin(), statuses.end(), text) != statuses.end();
    }
};

TEST_F(AutoProgramming, EraseProgramAndVerifyFlash) {
    start("ATmega8");
    loadFlash(image(1000));
    project().autoErase = true;
    project().autoFlashProgram = true;
    project().autoFlashVerify = true;
    ui.clear();
    bench().autoProgram();

    EXPECT_EQ(ui.lastStatus(), "Autoprogram: DONE (1000 Flash bytes programmed)");
    EXPECT_TRUE(bench().autoProgramOk());
    EXPECT_TRUE(ui.boxes().empty());
    const Bytes chip = board().flash();
    EXPECT_TRUE(std::equal(chip.begin(), chip.begin() + 1000, image(1000).begin()));
    EXPECT_EQ(ui.statuses().front(), "Autoprogram...");
    EXPECT_TRUE(statusShown("Pausing..."));
}

TEST_F(AutoProgramming, FlashAndEepromTogether) {
    start("ATmega8");
    loadFlash(image(256));
    loadEeprom(image(100));
    project().autoFlashProgram = true;
    project().autoEepromProgram = true;
    project().autoEepromVerify = true;
    bench().autoProgram();

    EXPECT_EQ(ui.lastStatus(), "Autoprogram: DONE (256 Flash and 100 Eeprom bytes programmed)");
    EXPECT_EQ(board().eeprom()[99], image(100)[99]);
}

TEST_F(AutoProgramming, ABlankCheckAloneIsNoAction) {
    start("ATmega8");
    project().autoEmptyCheck = true;
    bench().autoProgram();

    EXPECT_TRUE(statusShown("Blank check: Flash is blank"));
    EXPECT_EQ(ui.lastStatus(), "No actions in autoprogram");
    EXPECT_FALSE(bench().autoProgramOk());
}

TEST_F(AutoProgramming, DataInTheChipStopsTheRunBeforeProgramming) {
    start("ATmega8");
    board().setFlash(70, {0x00});
    loadFlash(image(128));
    project().autoEmptyCheck = true;
    project().autoFlashProgram = true;
    ui.clear();
    bench().autoProgram();

    EXPECT_EQ(ui.lastStatus(), "Autoprogram: ERROR Flash is not empty");
    EXPECT_FALSE(statusShown("Programming Flash"));
    EXPECT_EQ(board().flash()[0], 0xFF);
    EXPECT_FALSE(bench().autoProgramOk());
}

TEST_F(AutoProgramming, TheCounterMovesOnAfterEachVerifiedRun) {
    start("ATmega8");
    Bytes bytes = image(64);
    bytes[0x1F] = 0x00;
    bytes[0x20] = 0x41;
    loadFlash(bytes);
    project().autoErase = true; // a Flash bit goes back to 1 only by an erase
    project().autoFlashProgram = true;
    project().autoFlashVerify = true;
    project().autoIncrementFlash = true;
    project().autoIncAddressFlash = 0x20;

    bench().autoProgram();
    EXPECT_EQ(ui.lastStatus(), "Autoprogram: DONE (64 Flash bytes programmed)");
    EXPECT_EQ(board().flash()[0x20], 0x41); // the verify compared what was programmed
    MemoryBuffer& flash = bench().flash();
    EXPECT_EQ(flash.data()[0x20], 0x42);
    EXPECT_EQ(flash.attributes()[0x20], static_cast<std::uint8_t>(ByteAttribute::ChangedInMemory));
    EXPECT_EQ(flash.data()[0x1F], 0x00);
    EXPECT_TRUE(flash.modified());
    EXPECT_TRUE(project().autoIncrementFlash);

    bench().autoProgram();
    EXPECT_EQ(ui.lastStatus(), "Autoprogram: DONE (64 Flash bytes programmed)");
    EXPECT_EQ(board().flash()[0x20], 0x42);
    EXPECT_EQ(flash.data()[0x20], 0x43);
}

TEST_F(AutoProgramming, AReloadThatFailsFailsEveryChipUntilTheFileReadsAgain) {
    start("ATmega8");
    const Bytes bytes = image(64);
    const std::string path = writeFile("flash.bin", bytes);
    loadFlash(bytes);
    project().autoFlashReload = true;
    project().autoFlashProgram = true;
    project().autoFlashVerify = true;
    bench().autoProgram();
    ASSERT_EQ(ui.lastStatus(), "Autoprogram: DONE (64 Flash bytes programmed)");

    // The file vanishes: this chip and the next fail; nothing is skipped into a pass.
    std::filesystem::remove(path);
    for (int chip = 0; chip < 2; ++chip) {
        bench().autoProgram();
        EXPECT_EQ(ui.lastStatus(), "Autoprogram: ERROR reloading Flash") << chip;
        EXPECT_FALSE(bench().autoProgramOk()) << chip;
    }
    // Back again, the next chip passes.
    writeFile("flash.bin", bytes);
    bench().autoProgram();
    EXPECT_EQ(ui.lastStatus(), "Autoprogram: DONE (64 Flash bytes programmed)");
    EXPECT_TRUE(bench().autoProgramOk());
}

TEST_F(AutoProgramming, TheCounterIsWrittenBackOnlyIntoItsUnchangedFile) {
    start("ATmega8");
    Bytes bytes = image(16);
    bytes[3] = 0x10;
    const std::string path = writeFile("serial.bin", bytes);
    ASSERT_TRUE(bench().loadBufferFile(Memory::Eeprom, path));
    project().autoEepromProgram = true;
    project().autoIncrementEeprom = true;
    project().autoIncAddressEeprom = 3;
    bench().autoProgram();
    ASSERT_EQ(bench().eeprom().data()[3], 0x11);

    // Someone changes the file meanwhile: it is left as they made it.
    Bytes theirs = bytes;
    theirs[8] = 0x99;
    writeFile("serial.bin", theirs);
    ui.clear();
    EXPECT_FALSE(bench().writeCounterBack(Memory::Eeprom));
    EXPECT_EQ(ui.boxes(), std::vector<std::string>{"The serial number was not written to '" + path +
                                                   "': the file has changed since it was loaded."});
    EXPECT_EQ(readBytes(path), theirs);

    // Loaded again, the counter goes back into it.
    ASSERT_TRUE(bench().loadBufferFile(Memory::Eeprom, path));
    bench().autoProgram();
    EXPECT_TRUE(bench().writeCounterBack(Memory::Eeprom));
    theirs[3] = 0x11;
    EXPECT_EQ(readBytes(path), theirs);
    // And again after that write, which is now the file's version.
    bench().autoProgram();
    EXPECT_TRUE(bench().writeCounterBack(Memory::Eeprom));
    theirs[3] = 0x12;
    EXPECT_EQ(readBytes(path), theirs);

    // An image read from the chip came from no file.
    bench().readEeprom();
    ui.clear();
    EXPECT_FALSE(bench().writeCounterBack(Memory::Eeprom));
    EXPECT_EQ(readBytes(path), theirs);
    EXPECT_EQ(ui.boxes().size(), 1u);
}

TEST_F(AutoProgramming, AFailedProgramLeavesTheCounterAndItsOptionAlone) {
    sim::SimOptions options;
    sim::Fault drop;
    drop.kind = sim::FaultKind::DropReply;
    drop.command = sim::command::WriteFlashBytes;
    options.faults.push_back(drop);
    start("ATmega8", options);
    Bytes bytes = image(64);
    bytes[0x20] = 0x41;
    loadFlash(bytes);
    project().autoFlashProgram = true;
    project().autoFlashVerify = true;
    project().autoIncrementFlash = true;
    project().autoIncAddressFlash = 0x20;
    bench().autoProgram();

    EXPECT_EQ(ui.lastStatus(), "Autoprogram: ERROR programming Flash");
    EXPECT_EQ(bench().flash().data()[0x20], 0x41);
    EXPECT_TRUE(project().autoIncrementFlash);
    EXPECT_FALSE(bench().autoProgramOk());
    EXPECT_FALSE(board().inProgrammingMode());
}

TEST_F(AutoProgramming, LockAndFuseBitsAloneAreNoAction) {
    start("ATmega8");
    project().programFuses = true;
    project().lockFuseSelection.lockMode = 1;
    project().lockFuseSelection.fuse[13] = 1; // SPIEN kept: nothing to warn about
    bench().autoProgram();
    EXPECT_TRUE(ui.questions().empty());

    EXPECT_TRUE(statusShown("Lock bits..."));
    EXPECT_TRUE(sent("34 AC A0"));
    EXPECT_EQ(board().lockBits() & 0x03, 0x02);
    EXPECT_EQ(ui.lastStatus(), "No actions in autoprogram");
}

TEST_F(AutoProgramming, FusesThatEndSerialProgrammingAreAskedAboutFirst) {
    start("ATmega8");
    project().programFuses = true;
    project().autoErase = true;
    project().lockFuseSelection.fuse[13] = 1; // SPIEN
    project().lockFuseSelection.fuse[15] = 1; // RSTDISBL
    ui.queueAnswer(Answer::No);
    bench().autoProgram();
    ASSERT_EQ(ui.questions().size(), 1u);
    EXPECT_NE(ui.questions()[0].find("RSTDISBL programmed"), std::string::npos);
    EXPECT_EQ(ui.lastStatus(), "Operation cancelled");
    EXPECT_FALSE(sent("AC 80")); // not even the erase ran
    EXPECT_FALSE(statusShown("Lock bits..."));

    ui.queueAnswer(Answer::Yes);
    bench().autoProgram();
    EXPECT_TRUE(statusShown("Lock bits..."));
}

TEST_F(AutoProgramming, UnattendedRunReportsItsResult) {
    start("ATmega8");
    loadFlash(image(64));
    project().autoFlashProgram = true;
    ui.clear();
    EXPECT_EQ(bench().runUnattendedAutoProgram(), Outcome::Ok);
    ASSERT_FALSE(ui.events().empty());
    EXPECT_EQ(ui.events().back().kind, UiEvent::Plain);
    EXPECT_EQ(ui.events().back().text, "AUTOPROGRAM: OK");

    sim::SimOptions locked;
    locked.locked = true;
    locked.stayLocked = true;
    start("ATmega8", locked);
    project().autoErase = true;
    EXPECT_EQ(bench().runUnattendedAutoProgram(), Outcome::Locked);
    EXPECT_EQ(ui.statuses().back(), "Autoprogram: ERROR erasing device");
    EXPECT_EQ(ui.boxes(), (std::vector<std::string>{"Device is still locked", "AUTOPROGRAM: Error"}));
}

TEST_F(AutoProgramming, WithoutABoardPortNothingRuns) {
    start("ATmega8");
    bench().setComPort(0);
    project().autoErase = true;
    bench().autoProgram();

    EXPECT_EQ(ui.statuses(), std::vector<std::string>{"Select COM port or click 'search board'"});
    EXPECT_EQ(ui.boxes(), std::vector<std::string>{"No board specified"});
    EXPECT_EQ(bytesSent(), 0u);
}

} // namespace
} // namespace tovel::test
