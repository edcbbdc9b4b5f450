// Lock and fuse bits against the simulated board: the instructions on the line for the AVR and
// the stepped AT89S procedures, the failure paths, and what a verify reports.
#include "e2e/ops_bench.h"

#include "devices/device_table.h"
#include "devices/fuse_layout.h"
#include "sim/board_commands.h"

namespace tovel::test {
namespace {

using LockFuseBits = OpsBench;

// Flag index of a fuse bit of the device's layout, by name.
int fuseIndex(const std::string& device, const std::string& name) {
    const FuseLayout* layout = layoutOf(DeviceTable::findByName(device.c_str()));
    for (int i = 0; layout != nullptr && i < layout->fuseCount; ++i)
        if (name == layout->fuseBits[static_cast<std::size_t>(i)].name) return i;
    return -1;
}

TEST_F(LockFuseBits, AtMega8AtLevelZeroWritesTheTwoFuseBytesAndNoLock) {
    start("ATmega8");
    LockFuseSettings settings;
    settings.fuse[static_cast<std::size_t>(fuseIndex("ATmega8", "SPIEN"))] = 1;
    settings.fuse[static_cast<std::size_t>(fuseIndex("ATmega8", "CKSEL0"))] = 1;
    EXPECT_TRUE(bench().programLockFuse(settings).sessionOpened);

    EXPECT_TRUE(sent("34 AC A0 FF FE"));
    EXPECT_TRUE(sent("34 AC A8 FF DF"));
    EXPECT_LT(findSent("34 AC A0"), findSent("34 AC A8"));
    EXPECT_FALSE(sent("34 AC FF FF"));
    EXPECT_EQ(board().fuses()[0], 0xFE);
    EXPECT_EQ(board().fuses()[1], 0xDF);
    EXPECT_EQ(board().lockBits() & 0x03, 0x03);
    EXPECT_EQ(ui.boxes(), std::vector<std::string>{"Lock/fuse bits programmed"});
    EXPECT_FALSE(board().inProgrammingMode());
}

TEST_F(LockFuseBits, ARefusedLowFuseStopsBeforeTheHighFuseAndTheLock) {
    sim::SimOptions options;
    sim::Fault refuse;
    refuse.kind = sim::FaultKind::ReplaceReply;
    refuse.command = sim::command::SpiInstr4;
    refuse.bytes = {0x00};
    options.faults.push_back(refuse);
    start("ATmega8", options);
    LockFuseSettings settings;
    settings.lockMode = 2;
    EXPECT_TRUE(bench().programLockFuse(settings).sessionOpened);

    EXPECT_TRUE(sent("34 AC A0"));
    EXPECT_FALSE(sent("34 AC A8"));
    EXPECT_FALSE(sent("34 AC FF FF"));
    EXPECT_EQ(ui.boxes(), std::vector<std::string>{"Error programming lock/fuse bits"});
    EXPECT_FALSE(board().inProgrammingMode());
}

// These chips share the three-byte layout but take four-byte steps; the steps must lock them.
TEST_F(LockFuseBits, At89S8253AtLevelTwoIsLockedByItsSteps) {
    start("AT89S8253");
    ASSERT_EQ(board().lockBits() & 0x07, 0x07);
    LockFuseSettings settings;
    settings.lockMode = 2;
    EXPECT_TRUE(bench().programLockFuse(settings).sessionOpened);
    EXPECT_TRUE(sent("34 AC E1 00 FF"));
    EXPECT_TRUE(sent("34 AC E2 00 FF"));
    EXPECT_FALSE(sent("34 AC FF FF FF"));
    EXPECT_EQ(board().lockBits() & 0x07, 0x04); // LB1 and LB2 programmed (0), LB3 not
    EXPECT_EQ(ui.lastStatus(), "Lock/fuse bits programmed");
}

TEST_F(LockFuseBits, At89S52AtLevelThreeTakesThreeSteps250MsApart) {
    start("AT89S52");
    LockFuseSettings settings;
    settings.lockMode = 3;
    EXPECT_TRUE(bench().programLockFuse(settings).sessionOpened);

    std::size_t at = 0;
    for (const char* step : {"34 AC E1 00 FF", "34 AC E2 00 FF", "34 AC E3 00 FF"}) {
        at = findSent(step, at);
        ASSERT_NE(at, std::string::npos) << step;
        at += 5;
        EXPECT_TRUE(clock.pausedAfter(250, at)) << step;
    }
    EXPECT_EQ(timesSent("34 AC E0"), 0u);
    EXPECT_EQ(ui.lastStatus(), "Lock/fuse bits programmed");
    EXPECT_EQ(ui.boxes(), std::vector<std::string>{"Lock/fuse bits programmed"});
}

TEST_F(LockFuseBits, At89S8252TakesOneThreeByteInstruction) {
    start("AT89S8252");
    LockFuseSettings settings;
    settings.lockMode = 3;
    EXPECT_TRUE(bench().programLockFuse(settings).sessionOpened);

    const std::size_t lock = findSent("33 AC 1F FF");
    ASSERT_NE(lock, std::string::npos);
    EXPECT_TRUE(clock.pausedAfter(150, lock + 4));
    EXPECT_EQ(ui.lastStatus(), "Lock/fuse bits programmed");
    EXPECT_EQ(ui.boxes(), std::vector<std::string>{"Lock/fuse bits programmed"});
}

TEST_F(LockFuseBits, ProgrammedValuesReadBackAndVerify) {
    start("ATmega8");
    LockFuseSettings settings;
    settings.lockMode = 1;
    settings.fuse[static_cast<std::size_t>(fuseIndex("ATmega8", "SPIEN"))] = 1;
    settings.fuse[static_cast<std::size_t>(fuseIndex("ATmega8", "BOOTSZ0"))] = 1;
    ASSERT_TRUE(bench().programLockFuse(settings).sessionOpened);

    LockFuseSettings read;
    ASSERT_EQ(bench().readLockFuse(read), Outcome::Ok);
    EXPECT_EQ(read.readable, 1);
    EXPECT_EQ(read.lockMode, 1);
    EXPECT_EQ(read.fuse, settings.fuse);

    ui.clear();
    bench().verifyLockFuse(settings);
    const auto events = ui.events();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().caption, "Tovel/Tovel-U In-System Programmer 11.01");
    EXPECT_EQ(events.back().text, "Lock&Fuse bits verify: OK");
}

TEST_F(LockFuseBits, OnlySpienDifferingGivesExactlyOneLine) {
    sim::SimOptions options;
    start("ATmega8", options);
    sim::ChipMemories memories = board().memories();
    memories.fuses[1] |= 0x20; // SPIEN unprogrammed in the chip
    board().setMemories(memories);

    LockFuseSettings expected;
    ASSERT_EQ(bench().readLockFuse(expected), Outcome::Ok);
    expected.fuse[static_cast<std::size_t>(fuseIndex("ATmega8", "SPIEN"))] = 1;
    ui.clear();
    bench().verifyLockFuse(expected);

    EXPECT_EQ(ui.boxes(), std::vector<std::string>{"Lock&Fuse bits verify: Failed\n"
                                                   " - SPIEN should be programmed, is unprogrammed\n"});
}

TEST_F(LockFuseBits, TheCommandReadsTheChipForTheDialog) {
    struct DialogOpener : WorkbenchObserver {
        void openLockFuseDialog(int deviceNo, const LockFuseSettings& read) override {
            ++opened;
            device = deviceNo;
            values = read;
        }
        int opened = 0;
        int device = -1;
        LockFuseSettings values;
    } dialog;
    start("ATmega8");
    bench().setObserver(&dialog);
    bench().lockFuseCommand();

    EXPECT_EQ(dialog.opened, 1);
    EXPECT_EQ(dialog.device, row("ATmega8"));
    EXPECT_EQ(dialog.values.readable, 1);
    EXPECT_EQ(dialog.values.fuse[static_cast<std::size_t>(fuseIndex("ATmega8", "SPIEN"))], 1);
    bench().setObserver(nullptr);
}

TEST_F(LockFuseBits, AnotherChipAsksBeforeReadingAndNoStops) {
    start("ATmega16", {}, "ATmega8");
    ui.defaultAnswer = Answer::No;
    LockFuseSettings read;
    read.lockMode = 3;
    EXPECT_EQ(bench().readLockFuse(read), Outcome::WrongChip);

    EXPECT_EQ(ui.questions(), std::vector<std::string>{"Device signature does not match your selection or "
                                                       "device is locked. Do you still want to continue?"});
    EXPECT_EQ(ui.lastStatus(), "Operation cancelled");
    EXPECT_EQ(read, LockFuseSettings{});
    EXPECT_FALSE(board().inProgrammingMode());
}

TEST_F(LockFuseBits, AChipWithoutReadableBitsSaysSo) {
    start("AT89S8252");
    LockFuseSettings read;
    EXPECT_EQ(bench().readLockFuse(read), Outcome::Ok);
    EXPECT_EQ(read.readable, 0);
    EXPECT_EQ(ui.boxes(),
              std::vector<std::string>{"This device do not have a 'read lock/fuse bits' function."});
    EXPECT_EQ(bytesSent(), 0u); // nothing to connect for
}

} // namespace
} // namespace tovel::test
