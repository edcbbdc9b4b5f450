// The board search over ports mapped to simulated boards.
#include <gtest/gtest.h>

#include "board/board_search.h"
#include "sim/board_commands.h"
#include "support/sim_bench.h"

namespace tovel {
namespace {

using Log = std::vector<std::string>;

sim::SimOptions boardWithText(const std::string& text) {
    sim::SimOptions options;
    options.versionText = text;
    return options;
}

Log probing() {
    Log statuses{"Searching for Tovel/Tovel-U..."};
    for (int p = 1; p <= 8; ++p) statuses.push_back("Searching for Tovel/Tovel-U on COM" + std::to_string(p));
    return statuses;
}

TEST(SearchE2E, BoardsOnCom2AndCom5) {
    test::SimBench bench;
    bench.ports.setOverride(1, "/dev/null/none"); // the bench's own board is not on the search's way
    sim::PtyBoardHost& a = bench.addBoard(2, boardWithText("Tovel A"));
    sim::PtyBoardHost& b = bench.addBoard(5, boardWithText("Tovel-U B"));
    ASSERT_TRUE(a.ok() && b.ok());
    EXPECT_EQ(searchBoard(bench.session), 2);
    Log expected = probing();
    expected.push_back("Tovel A on COM2,  Tovel-U B on COM5");
    EXPECT_EQ(bench.ui.statuses(), expected);
    EXPECT_TRUE(bench.ui.boxes().empty());
    EXPECT_FALSE(bench.ui.busy());
    // Each board was identified at 19200 baud and left there.
    for (sim::PtyBoardHost* host : {&a, &b}) {
        EXPECT_EQ(bench.hostBytes(*host), (std::vector<std::uint8_t>{'%', '@', '?', 0x1B}));
        EXPECT_EQ(host->boardBaud(), 19200);
    }
}

TEST(SearchE2E, NoPortAtAll) {
    test::SimBench bench;
    bench.ports.setOverride(1, "/dev/null/none");
    EXPECT_EQ(searchBoard(bench.session), 0);
    Log expected = probing();
    expected.push_back("Tovel/Tovel-U was not found");
    EXPECT_EQ(bench.ui.statuses(), expected);
    EXPECT_TRUE(bench.ui.boxes().empty());
}

TEST(SearchE2E, BoardsThatCannotBeListed) {
    // COM1: a board without firmware (reported, skipped); COM3: a good board; COM4: a board of
    // another version (reported, not listed); COM6: a board whose version text ends badly (listed
    // as unknown).
    sim::SimOptions silent;
    silent.firmware = sim::FirmwareState::None;
    test::SimBench bench(silent, 300);
    sim::SimOptions old;
    old.firmwareVersion = "M00";
    bench.addBoard(3, boardWithText("C"));
    bench.addBoard(4, old);
    sim::SimOptions truncated = boardWithText("D");
    sim::Fault replace;
    replace.kind = sim::FaultKind::ReplaceReply;
    replace.command = sim::command::LongVersion;
    replace.bytes = {1, 'D', 0x0E};
    truncated.faults.push_back(replace);
    bench.addBoard(6, truncated);

    EXPECT_EQ(searchBoard(bench.session), 3);
    EXPECT_EQ(
        bench.ui.boxes(),
        (Log{"Programmer has no firmware and should be updated. Use \"Update firmware version\" command from "
             "\"Advanced\" menu.",
             "Version conflict.\nFW version: M.00\nRequired version M.01.\nUpdate version and try again."}));
    EXPECT_EQ(bench.ui.lastStatus(), "C on COM3,  Unknown version on COM6");
}

} // namespace
} // namespace tovel
