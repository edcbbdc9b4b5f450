// Chip Erase against the simulated board: the bytes each command set puts on the line, the
// signature check after an AVR erase, and the DataFlash block erase behind the progress display.
#include "e2e/ops_bench.h"

#include <algorithm>

#include "image/memory_buffer.h"
#include "ops/chip_context.h"
#include "project/project.h"
#include "sim/board_commands.h"

namespace tovel::test {
namespace {

using ErasingChips = OpsBench;

constexpr const char* kAvrErase = "34 AC 80 04 00";

TEST_F(ErasingChips, AtMega8IsErasedAndItsSignatureChecked) {
    start("ATmega8");
    board().setFlash(0, {0x12, 0x34, 0x56});
    bench().chipErase();

    EXPECT_EQ(board().flash()[0], 0xFF);
    EXPECT_EQ(bench().state().operationStatus, Outcome::Ok);
    EXPECT_EQ(ui.lastStatus(), "Device erased");
    const auto statuses = ui.statuses();
    EXPECT_NE(std::find(statuses.begin(), statuses.end(), "Chip erased; signature: 1E 93 07 - ATmega8"),
              statuses.end());
    EXPECT_TRUE(ui.boxes().empty());
    // The erase, then a second session reading the signature.
    const std::size_t erase = findSent(kAvrErase);
    ASSERT_NE(erase, std::string::npos);
    EXPECT_NE(findSent("35 30 00 00 35 30 00 01 35 30 00 02", erase), std::string::npos);
    const std::size_t recovered = findSent("2D 23 00 82 00", erase);
    ASSERT_NE(recovered, std::string::npos);
    EXPECT_TRUE(clock.pausedAfter(85, recovered + 5));
    EXPECT_FALSE(board().inProgrammingMode());
}

TEST_F(ErasingChips, AnotherChipInTheSocketBecomesTheSelection) {
    start("ATmega16", {}, "ATmega8");
    bench().project().clearModified();
    bench().chipErase();

    const auto statuses = ui.statuses();
    const auto named =
        std::find(statuses.begin(), statuses.end(), "Chip erased; signature: 1E 94 03 - ATmega16");
    ASSERT_NE(named, statuses.end());
    EXPECT_EQ(statuses.back(), "Device erased");
    EXPECT_EQ(bench().deviceNo(), row("ATmega16"));
    EXPECT_TRUE(bench().project().modified());
    EXPECT_EQ(bench().state().operationStatus, Outcome::Ok);
}

TEST_F(ErasingChips, ALockedChipThatStaysLockedIsReported) {
    sim::SimOptions options;
    options.locked = true;
    options.stayLocked = true;
    start("ATmega8", options);
    bench().chipErase();

    EXPECT_EQ(ui.lastStatus(), "Chip not erased - device is locked");
    EXPECT_EQ(ui.boxes(), std::vector<std::string>{"Device is still locked"});
    EXPECT_EQ(bench().state().operationStatus, Outcome::Locked);
}

TEST_F(ErasingChips, At89S8252TakesTheThreeByteEraseWithoutSignatureCheck) {
    start("AT89S8252");
    board().setFlash(0, {0x01, 0x02});
    bench().chipErase();

    EXPECT_TRUE(sent("33 AC 04 00 00"));
    EXPECT_FALSE(sent("35 30 00 00"));
    EXPECT_FALSE(sent(kAvrErase));
    EXPECT_EQ(board().flash()[0], 0xFF);
    EXPECT_EQ(ui.lastStatus(), "Device erased");
    EXPECT_EQ(bench().state().operationStatus, Outcome::Ok);
}

TEST_F(ErasingChips, AtTiny26IsErasedTwiceAroundAnFFWriteToWordZero) {
    start("ATtiny26");
    bench().chipErase();

    const std::size_t first = findSent(kAvrErase);
    const std::size_t write = findSent("34 40 00 00 FF", first);
    const std::size_t second = findSent(kAvrErase, write);
    ASSERT_NE(first, std::string::npos);
    ASSERT_NE(write, std::string::npos);
    ASSERT_NE(second, std::string::npos);
    EXPECT_EQ(write, first + 5);
    EXPECT_EQ(second, write + 5);
    EXPECT_TRUE(clock.pausedAfter(7, write));                 // between the first erase and the write
    EXPECT_TRUE(clock.pausedBetween(10, second, second + 5)); // before the last erase's reply
    EXPECT_EQ(ui.lastStatus(), "Device erased");
}

TEST_F(ErasingChips, AnUnansweredEraseIsAConnectionError) {
    sim::SimOptions options;
    sim::Fault drop;
    drop.kind = sim::FaultKind::DropReply;
    drop.command = sim::command::SpiInstr4;
    options.faults.push_back(drop);
    start("ATmega8", options);
    bench().chipErase();

    EXPECT_EQ(ui.boxes(), std::vector<std::string>{"Connection error"});
    EXPECT_EQ(ui.lastStatus(), "Connection error");
    EXPECT_EQ(bench().state().operationStatus, Outcome::Connection);
    EXPECT_FALSE(sent("35 30 00 00"));
    EXPECT_FALSE(board().inProgrammingMode());
}

TEST_F(ErasingChips, At45Db041IsErasedBlockByBlock) {
    start("AT45DB041");
    board().setFlash(1000, {0x00, 0x11});
    bench().chipErase();

    EXPECT_EQ(timesSent("6C 30 00 04 50"), 249u);
    const std::size_t firstBlock = findSent("30 00 04 50 00 00 00");
    EXPECT_EQ(findSent("30 00 04 50"), firstBlock);
    EXPECT_NE(findSent("30 00 04 50 00 10 00", firstBlock + 7), std::string::npos);
    EXPECT_TRUE(sent("30 00 04 50 0F 80 00")); // block 1984, the last one
    EXPECT_EQ(board().flash()[1000], 0xFF);
    EXPECT_EQ(ui.lastStatus(), "Device erased");
    EXPECT_EQ(bench().state().operationStatus, Outcome::Ok);
    EXPECT_EQ(cancel.seen(), (std::vector<std::string>{"Erase", "Erasing device"}));
    EXPECT_FALSE(sent("35 30 00 00")); // no signature check follows
}

TEST_F(ErasingChips, CancellingTheDataFlashEraseStopsIt) {
    start("AT45DB041");
    cancel.arm(10);
    bench().chipErase();

    EXPECT_LT(timesSent("6C 30 00 04 50"), 249u);
    EXPECT_EQ(ui.lastStatus(), "Erase operation terminated");
    EXPECT_TRUE(ui.boxes().empty());
    EXPECT_EQ(bench().state().operationStatus, Outcome::Cancelled);
    EXPECT_FALSE(board().inProgrammingMode());
}

} // namespace
} // namespace tovel::test
