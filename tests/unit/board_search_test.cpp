// The board search over ports 1..8 against scripted boards.
#include <gtest/gtest.h>

#include "board/board_protocol.h"
#include "board/board_search.h"
#include "support/fake_board_link.h"
#include "support/recording_ui.h"

namespace tovel {
namespace {

using Log = std::vector<std::string>;

class BoardSearchTest : public ::testing::Test {
protected:
    void SetUp() override { channel.unavailablePorts = {1, 2, 3, 4, 5, 6, 7, 8}; }
    test::FakeBoard& boardOn(int port, const std::string& text) {
        channel.unavailablePorts.erase(port);
        test::FakeBoard& board = channel.board(port);
        board.versionText = text;
        return board;
    }
    static Log probing() {
        Log statuses{"Searching for Tovel/Tovel-U..."};
        for (int p = 1; p <= 8; ++p)
            statuses.push_back("Searching for Tovel/Tovel-U on COM" + std::to_string(p));
        return statuses;
    }

    test::WireLog wire;
    test::TestClock clock = test::wireClock(wire);
    test::FakeSerialChannel channel{wire, clock};
    test::RecordingUi ui;
    Messages messages;
    BoardSession session{channel, ui, messages, clock};
};

TEST_F(BoardSearchTest, ListsEveryBoardAndPicksTheFirst) {
    boardOn(2, "A");
    boardOn(5, "B");
    EXPECT_EQ(searchBoard(session), 2);
    Log expected = probing();
    expected.push_back("A on COM2,  B on COM5");
    EXPECT_EQ(ui.statuses(), expected);
    EXPECT_TRUE(ui.boxes().empty());
    EXPECT_FALSE(ui.busy());
    // Each board: the link opened at 19200, version checked, long version read 20 ms after asking.
    EXPECT_EQ(wire.from("open 2 @19200"), (Log{"open 2 @19200",
                                               "wait 50",
                                               "wait 50",
                                               "> 25",
                                               "< 2B",
                                               "wait 50",
                                               "> 40",
                                               "wait 50",
                                               "< 4D 30 31",
                                               "> 3F",
                                               "wait 20",
                                               "< 01",
                                               "< 41 0D",
                                               "> 1B",
                                               "close",
                                               "open 3 @19200 fails",
                                               "open 4 @19200 fails",
                                               "open 5 @19200",
                                               "wait 50",
                                               "wait 50",
                                               "> 25",
                                               "< 2B",
                                               "wait 50",
                                               "> 40",
                                               "wait 50",
                                               "< 4D 30 31",
                                               "> 3F",
                                               "wait 20",
                                               "< 01",
                                               "< 42 0D",
                                               "> 1B",
                                               "close",
                                               "open 6 @19200 fails",
                                               "open 7 @19200 fails",
                                               "open 8 @19200 fails"}));
}

TEST_F(BoardSearchTest, NothingFoundForgetsThePort) {
    EXPECT_EQ(searchBoard(session), 0);
    EXPECT_EQ(ui.lastStatus(), "Tovel/Tovel-U was not found");
    EXPECT_TRUE(ui.boxes().empty());
}

TEST_F(BoardSearchTest, UnreadableNameIsListedAsUnknownVersion) {
    boardOn(3, "C").replyOnce(protocol::LongVersion, {1, 'C', 0x0E});
    EXPECT_EQ(searchBoard(session), 3);
    EXPECT_EQ(ui.lastStatus(), "Unknown version on COM3");
}

TEST_F(BoardSearchTest, SilentPortAndOtherFirmwareSpeakButTheSearchGoesOn) {
    channel.unavailablePorts.erase(1); // opens, nobody answers
    boardOn(4, "old").replyAlways(protocol::ShortVersion, test::bytesOf("M00"));
    boardOn(6, "F");
    EXPECT_EQ(searchBoard(session), 6);
    EXPECT_EQ(
        ui.boxes(),
        (Log{"Programmer has no firmware and should be updated. Use \"Update firmware version\" command "
             "from \"Advanced\" menu.",
             "Version conflict.\nFW version: M.00\nRequired version M.01.\nUpdate version and try again."}));
    EXPECT_EQ(ui.lastStatus(), "F on COM6");
}

} // namespace
} // namespace tovel
