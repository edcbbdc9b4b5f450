// The board session procedures against a scripted board, with the pauses in the same log as the
// bytes: what goes on the line, in which order, with which pauses, and what the person is told.
#include <gtest/gtest.h>

#include "board/board_protocol.h"
#include "board/board_session.h"
#include "board/link_parameters.h"
#include "board/session_guard.h"
#include "support/device_rows.h"
#include "support/fake_board_link.h"
#include "support/recording_ui.h"

namespace tovel {
namespace {

using test::bytesOf;
using Log = std::vector<std::string>;

const int kAtmega8 = test::rowNamed("ATmega8");
const int kAt89s51 = test::rowNamed("AT89S51");
const int kAt89s8252 = test::rowNamed("AT89S8252");
const int kAt89s8253 = test::rowNamed("AT89S8253");
const int kAt25256 = test::rowNamed("AT25256");
const int kAt45db041 = test::rowNamed("AT45DB041");

const char* const kNoFirmware =
    "Programmer has no firmware and should be updated. Use \"Update firmware version\" "
    "command from \"Advanced\" menu.";
const char* const kCannotOpen =
    "Connection error: cannot open COM port. Check for other applications using it.";

// recoverBoard's exchange at the end of a session with SCK code `sck`.
Log recoverLog(const std::string& sck) {
    return {"wait 150", "> 2D", "< 0D", "wait 150", "> 23 00 " + sck + " 00", "< 0D", "close"};
}

class BoardSessionTest : public ::testing::Test {
protected:
    SessionParams avr(int sck = 4, int strobeMs = 20) {
        SessionParams p;
        p.deviceIndex = kAtmega8;
        p.sckPeriodIndex = sck;
        p.resetStrobeMs = strobeMs;
        return p;
    }
    SessionParams device(int index, int sck = 4) {
        SessionParams p = avr(sck);
        p.deviceIndex = index;
        return p;
    }
    // The log from the end of the link setup (the switch or the LinkParameters Ack) on.
    Log afterLinkSetup() {
        Log all = wire.entries();
        for (std::size_t i = all.size(); i-- > 0;)
            if (all[i].rfind("> 23 ", 0) == 0) return Log(all.begin() + static_cast<long>(i) + 4, all.end());
        return {};
    }

    test::WireLog wire;
    test::TestClock clock = test::wireClock(wire);
    test::FakeSerialChannel channel{wire, clock};
    test::RecordingUi ui;
    Messages messages;
    BoardSession session{channel, ui, messages, clock};
    test::FakeBoard& board = channel.board(1);
};

TEST_F(BoardSessionTest, ProgrammingSessionOfTheWorkedExampleByteForByte) {
    ASSERT_TRUE(session.openSession(avr(4, 20), 1, 1));
    EXPECT_EQ(wire.entries(),
              (Log{"open 1 @19200", "wait 50", "> 25",    "< 2B",       "wait 50", "> 40",
                   "< 4D 30 31",    "> 26 02", "< 0D",    "> 3A 00 00", "< 0D",    "> 23 01 82 00",
                   "wait 50",       "< 0D",    "wait 50", "close",      "wait 45", "open 1 @115200",
                   "wait 45",       "> 51",    "< 0D",    "wait 20",    "> 3D",    "< 0D"}));
    EXPECT_EQ(ui.statuses(), (Log{"Reset strobe... (20 ms)", "Connection accepted"}));
    EXPECT_TRUE(ui.boxes().empty());

    wire.clear();
    EXPECT_TRUE(session.recoverBoard());
    EXPECT_EQ(wire.entries(), recoverLog("82"));
    EXPECT_FALSE(channel.isConnected());
}

TEST_F(BoardSessionTest, SpeedIndexTwoAndAnyOtherReopenAt921600) {
    for (const char* index : {"02", "07"}) {
        wire.clear();
        ASSERT_TRUE(session.openSession(avr(), 1, index[1] - '0'));
        EXPECT_EQ(wire.from(std::string("> 23 ") + index + " 82 00"),
                  (Log{std::string("> 23 ") + index + " 82 00", "wait 50", "< 0D", "wait 50", "close",
                       "wait 45", "open 1 @921600", "wait 45", "> 51", "< 0D", "wait 20", "> 3D", "< 0D"}));
        session.recoverBoard();
    }
}

TEST_F(BoardSessionTest, SpeedIndexZeroStaysAt19200WithoutReopening) {
    ASSERT_TRUE(session.openSession(avr(), 1, 0));
    EXPECT_EQ(afterLinkSetup(), (Log{"> 51", "< 0D", "wait 20", "> 3D", "< 0D"}));
    EXPECT_EQ(std::count(wire.entries().begin(), wire.entries().end(), "close"), 0);
}

TEST_F(BoardSessionTest, SckCodeCarriesTheDeviceFlags) {
    struct Case {
        int device;
        int sck;
        std::string openCode;
        std::string recoverCode;
    };
    const Case cases[] = {
        {kAt89s8253, 7, "FF", "FF"}, {kAt89s8253, 1, "04", "04"},
        {kAt45db041, 0, "04", "80"}, {kAt45db041, 7, "04", "FF"},
        {kAtmega8, 0, "80", "80"},   {kAtmega8, 9, "FF", "FF"}, // out of range: slowest
    };
    for (const Case& c : cases) {
        wire.clear();
        ASSERT_TRUE(session.openSession(device(c.device, c.sck), 1, 0)) << c.device;
        const Log& log = wire.entries();
        EXPECT_NE(std::find(log.begin(), log.end(), "> 23 00 " + c.openCode + " 00"), log.end()) << c.device;
        wire.clear();
        session.recoverBoard();
        EXPECT_EQ(wire.entries()[4], "> 23 00 " + c.recoverCode + " 00") << c.device;
    }
}

TEST_F(BoardSessionTest, EverySckPeriodSendsItsOwnCodeAtOpenAndRecovery) {
    const std::pair<const char*, const char*> periods[kSckPeriodCount] = {
        {"0.25 uS (4 MHz)", "80"}, {"0.5 uS (2 MHz)", "00"}, {"1 uS (1 MHz)", "81"},
        {"2 uS (500 kHz)", "01"},  {"4 uS (250 kHz)", "82"}, {"8 uS (125 kHz)", "02"},
        {"16 uS (60 kHz)", "03"},  {"150 uS (7 kHz)", "FF"},
    };
    for (int sck = 0; sck < kSckPeriodCount; ++sck) {
        const auto& [text, code] = periods[sck];
        SCOPED_TRACE(text);
        EXPECT_STREQ(sckPeriodText(sck), text);
        const std::string packet = std::string("> 23 00 ") + code + " 00";
        wire.clear();
        ASSERT_TRUE(session.openSession(avr(sck), 1, 0));
        EXPECT_EQ(std::count(wire.entries().begin(), wire.entries().end(), packet), 1);
        wire.clear();
        session.recoverBoard();
        EXPECT_EQ(wire.entries()[4], packet);
    }
}

TEST_F(BoardSessionTest, PollingFlagTravelsInLinkParameters) {
    SessionParams p = avr(2);
    p.polling = true;
    ASSERT_TRUE(session.openSession(p, 1, 0));
    const Log& log = wire.entries();
    EXPECT_NE(std::find(log.begin(), log.end(), "> 23 00 81 01"), log.end());
    wire.clear();
    session.recoverBoard();
    EXPECT_EQ(wire.entries()[4], "> 23 00 81 01");
}

TEST_F(BoardSessionTest, ResetStrobeLengthChoosesTheStrobeCommand) {
    ASSERT_TRUE(session.openSession(avr(4, 99), 1, 0));
    EXPECT_EQ(afterLinkSetup(), (Log{"> 51", "< 0D", "wait 99", "> 3D", "< 0D"}));
    wire.clear();
    ui.clear();
    ASSERT_TRUE(session.openSession(avr(4, 100), 1, 0));
    EXPECT_EQ(afterLinkSetup(), (Log{"> 2A", "< 0D", "wait 100", "> 3D", "< 0D"}));
    EXPECT_EQ(ui.statuses(), (Log{"Reset strobe... (100 ms)", "Connection accepted"}));
}

TEST_F(BoardSessionTest, DisabledSynchronizationUsesTheSpiProgrammingEnable) {
    SessionParams p = avr();
    p.noSynchronization = true;
    ASSERT_TRUE(session.openSession(p, 1, 0));
    EXPECT_EQ(afterLinkSetup(), (Log{"> 51", "< 0D", "wait 20", "> 34 AC 53 00 00", "< 0D"}));
}

TEST_F(BoardSessionTest, At89AndAt25PartsBeginWithoutResetStrobe) {
    struct Case {
        int device;
        std::string enable;
    };
    for (const Case& c : {Case{kAt89s51, "> 34 AC 53 00 00"}, Case{kAt89s8252, "> 33 AC 53 00"},
                          Case{kAt25256, "> 33 AC 53 00"}}) {
        wire.clear();
        ui.clear();
        board.replyOnce(protocol::SpiInstr4, {});
        board.replyOnce(protocol::SpiInstr3, {}); // the enable's reply is not judged
        ASSERT_TRUE(session.openSession(device(c.device), 1, 0)) << c.device;
        EXPECT_EQ(afterLinkSetup(), (Log{"> 2B", "< 0D", c.enable, "< timeout"})) << c.device;
        EXPECT_EQ(ui.statuses(), Log{"Connection accepted"});
        session.recoverBoard();
    }
}

TEST_F(BoardSessionTest, DataFlashDetectedOnFirstAttempt) {
    ASSERT_TRUE(session.openSession(device(kAt45db041), 1, 0));
    EXPECT_EQ(afterLinkSetup(),
              (Log{"> 6C", "wait 15", "< 0D", "> 36 57", "< 0D", "wait 15", "> 37", "< 9C", "> 6B", "< 0D"}));
    EXPECT_EQ(ui.statuses(), (Log{"", "AT45 memory detected"}));
}

TEST_F(BoardSessionTest, DataFlashNotAnsweringStillOpensAfterFiveAttempts) {
    board.dataFlashStatus = 0xFF;
    ASSERT_TRUE(session.openSession(device(kAt45db041), 1, 0));
    const Log log = afterLinkSetup();
    EXPECT_EQ(std::count(log.begin(), log.end(), "> 37"), 5);
    EXPECT_EQ(std::count(log.begin(), log.end(), "wait 40"), 4); // between attempts only
    EXPECT_EQ(ui.statuses(), (Log{"", "AT45 memory not detected"}));
    EXPECT_TRUE(channel.isConnected());
}

TEST_F(BoardSessionTest, DataFlashOfAnotherSizeIsNamed) {
    board.dataFlashStatus = 0xA4; // & 0x3C == 0x24: AT45DB081
    ASSERT_TRUE(session.openSession(device(kAt45db041), 1, 0));
    EXPECT_EQ(ui.statuses(), (Log{"", "AT45 memory not detected (signature as AT45DB081)"}));
}

TEST_F(BoardSessionTest, PortThatCannotBeOpenedSendsNothing) {
    channel.unavailablePorts = {1};
    EXPECT_FALSE(session.openSession(avr(), 1, 1));
    EXPECT_EQ(wire.entries(), Log{"open 1 @19200 fails"});
    EXPECT_EQ(ui.statuses(), Log{"Connection error"});
    EXPECT_EQ(ui.boxes(), Log{kCannotOpen});
}

TEST_F(BoardSessionTest, ReopeningAtTheHigherSpeedFailsWithBoxFirst) {
    channel.failOpens = {1}; // the second open: the speed switch
    EXPECT_FALSE(session.openSession(avr(), 1, 1));
    EXPECT_EQ(wire.from("close"), (Log{"close", "wait 45", "open 1 @115200 fails"}));
    EXPECT_EQ(ui.boxes(), Log{kCannotOpen});
    EXPECT_EQ(ui.statuses(), Log{"Connection error"});
}

TEST_F(BoardSessionTest, NoReplyToStatusProbeLeavesTheBoardUntouched) {
    board.replyOnce(protocol::StatusProbe, {});
    EXPECT_FALSE(session.openSession(avr(), 1, 1));
    EXPECT_EQ(wire.entries(), (Log{"open 1 @19200", "wait 50", "> 25", "< timeout", "close"}));
    EXPECT_EQ(ui.boxes(), Log{kNoFirmware});
    EXPECT_EQ(ui.statuses(), Log{"Connection error"});
}

TEST_F(BoardSessionTest, LoaderOnlyProbeReplyIsNoFirmware) {
    board.replyOnce(protocol::StatusProbe, {protocol::ProbeLoaderOnly});
    EXPECT_FALSE(session.openLink(1));
    EXPECT_EQ(wire.entries(), (Log{"open 1 @19200", "wait 50", "wait 50", "> 25", "< 2D", "close"}));
    EXPECT_EQ(ui.boxes(), Log{kNoFirmware});
}

TEST_F(BoardSessionTest, OutOfStepBoardIsAskedAgainAndDrained) {
    board.replyOnce(protocol::StatusProbe, bytesOf("x"));
    board.replyOnce(protocol::StatusProbe, bytesOf("ab+"));
    ASSERT_TRUE(session.openLink(1));
    EXPECT_EQ(wire.entries(),
              (Log{"open 1 @19200", "wait 50", "wait 50", "> 25", "< 78", "wait 150", "> 25", "< 61", "< 62",
                   "< 2B", "< timeout", "wait 50", "> 40", "wait 50", "< 4D 30 31"}));
}

TEST_F(BoardSessionTest, OutOfStepBoardThatFallsSilentHasNoFirmware) {
    board.replyOnce(protocol::StatusProbe, bytesOf("x"));
    board.replyOnce(protocol::StatusProbe, {});
    EXPECT_FALSE(session.openSession(avr(), 1, 0));
    EXPECT_EQ(wire.entries(),
              (Log{"open 1 @19200", "wait 50", "> 25", "< 78", "wait 150", "> 25", "< timeout", "close"}));
    EXPECT_EQ(ui.boxes(), Log{kNoFirmware});
    EXPECT_EQ(ui.statuses(), Log{"Connection error"});
}

TEST_F(BoardSessionTest, VersionRepliesAreJudged) {
    struct Case {
        std::string reply;
        std::string box;
        std::string status;
        bool loader;
        bool mismatch;
    };
    const Case cases[] = {
        {"err", "Internal error while synchronizing with Tovel/Tovel-U", "Connection error", false, false},
        {"ldr",
         "Version conflict. Update firmware version with '\\Advanced\\Update firmware version...' command.",
         "Version conflict. You need to update firmware version.", true, false},
        {"ld2",
         "Version conflict. Update firmware version with '\\Advanced\\Update firmware version...' command.",
         "Version conflict. You need to update firmware version.", true, false},
        {"M02", "Version conflict.\nFW version: M.02\nRequired version M.01.\nUpdate version and try again.",
         "Version conflict. You need to update firmware version.", false, true},
    };
    for (const Case& c : cases) {
        wire.clear();
        ui.clear();
        board.replyOnce(protocol::ShortVersion, bytesOf(c.reply));
        EXPECT_FALSE(session.openSession(avr(), 1, 1)) << c.reply;
        EXPECT_EQ(ui.boxes(), Log{c.box});
        EXPECT_EQ(ui.statuses(), Log{c.status});
        EXPECT_EQ(session.state().loaderSeen, c.loader) << c.reply;
        EXPECT_EQ(session.state().versionMismatch, c.mismatch) << c.reply;
        EXPECT_EQ(wire.from("wait 150"), recoverLog("82")) << c.reply; // the board is recovered
    }
}

TEST_F(BoardSessionTest, EveryMissingAckInsideTheSessionRecoversThenReports) {
    for (std::uint8_t command : {protocol::DeviceClass, protocol::SetAddress, protocol::LinkParameters,
                                 protocol::ResetStrobeShort, protocol::EnterProgramming}) {
        wire.clear();
        ui.clear();
        board.replyOnce(command, {});
        EXPECT_FALSE(session.openSession(avr(), 1, 0)) << int(command);
        EXPECT_EQ(wire.from("wait 150").size(), recoverLog("82").size()) << int(command);
        EXPECT_EQ(ui.boxes(), Log{"Connection error"});
        EXPECT_EQ(ui.statuses(),
                  (command == protocol::EnterProgramming ? Log{"Reset strobe... (20 ms)", "Connection error"}
                                                         : Log{"Connection error"}));
        EXPECT_FALSE(channel.isConnected());
    }
    // A wrong byte where an Ack is due fails like a missing one.
    ui.clear();
    board.replyOnce(protocol::DeviceClass, {0x0E});
    EXPECT_FALSE(session.openSession(avr(), 1, 0));
    EXPECT_EQ(ui.boxes(), Log{"Connection error"});
}

TEST_F(BoardSessionTest, AWriteFailureInsideTheSessionIsAConnectionError) {
    channel.failWritesFrom = 2; // "%" and "@" go out; DeviceClass does not
    EXPECT_FALSE(session.openSession(avr(), 1, 0));
    EXPECT_EQ(ui.boxes(), Log{"Connection error"});
    EXPECT_EQ(ui.statuses(), Log{"Connection error"});
    EXPECT_FALSE(channel.isConnected());
}

TEST_F(BoardSessionTest, QuietLinkSilencesOnlyTheOpenAndTheShortVersion) {
    channel.unavailablePorts = {1};
    EXPECT_FALSE(session.openLink(1, {.quiet = true}));
    channel.unavailablePorts.clear();
    board.replyOnce(protocol::ShortVersion, {});
    EXPECT_FALSE(session.openLink(1, {.quiet = true}));
    EXPECT_EQ(session.state().boardVersion, (VersionBytes{0, 0, 0}));
    EXPECT_TRUE(ui.events().empty());
    EXPECT_FALSE(channel.isConnected());

    board.replyOnce(protocol::StatusProbe, {});
    EXPECT_FALSE(session.openLink(1, {.quiet = true}));
    EXPECT_EQ(ui.boxes(), Log{kNoFirmware});
}

TEST_F(BoardSessionTest, LoudLinkWithoutShortVersionEndsTheSession) {
    board.replyOnce(protocol::ShortVersion, {});
    EXPECT_FALSE(session.openLink(1));
    EXPECT_EQ(wire.from("> 40"), (Log{"> 40", "wait 50", "< timeout", "> 1B", "close"}));
    EXPECT_EQ(ui.statuses(), Log{"Connection error"});
    EXPECT_EQ(ui.boxes(), Log{"Connection error"});
}

TEST_F(BoardSessionTest, ReadBoardVersionShowsTextAndSerial) {
    std::string text;
    std::optional<SerialNumber> serial;
    ASSERT_TRUE(session.readBoardVersion(1, &text, &serial, false));
    EXPECT_EQ(text, "Tovel-U 10.01");
    EXPECT_EQ(serial, (SerialNumber{0x54, 0x56, 0x00, 0x10, 0x01}));
    EXPECT_EQ(ui.statuses(),
              (Log{"Reading firmware version...", "Tovel-U 10.01 (Serial number 54 56 00 10 01)"}));
    EXPECT_EQ(wire.from("> 3F"),
              (Log{"> 3F", "wait 50", "< 0D", "wait 50", "< 54 6F 76 65 6C 2D 55 20 31 30 2E 30 31 0D",
                   "> 4E", "< 54 56 00 10 01 0D", "> 1B", "close"}));
    EXPECT_FALSE(ui.busy());

    ui.clear();
    session.showBoardInfo(1);
    EXPECT_EQ(ui.boxes(), Log{"Tovel-U 10.01\nVoltage: 3.3 ... 5.0 V\nSerial number: 54 56 00 10 01"});
}

TEST_F(BoardSessionTest, ReadBoardVersionWithoutAPort) {
    std::string text = "x";
    EXPECT_FALSE(session.readBoardVersion(0, &text, nullptr, false));
    EXPECT_EQ(text, "Unknown firmware version");
    EXPECT_EQ(ui.statuses(), (Log{"Reading firmware version...", "Select COM port or click 'search board'"}));
    EXPECT_EQ(ui.boxes(), Log{"No board specified"});
    EXPECT_TRUE(wire.entries().empty());
}

TEST_F(BoardSessionTest, LoaderTextIsRefusedOutsideLoaderMode) {
    board.versionText = "BootLoader 2";
    EXPECT_FALSE(session.readBoardVersion(1, nullptr, nullptr, false));
    EXPECT_EQ(ui.boxes(), Log{kNoFirmware});
    EXPECT_EQ(wire.entries().back(), "close");

    ui.clear();
    wire.clear();
    std::string text;
    ASSERT_TRUE(session.readBoardVersion(1, &text, nullptr, true));
    EXPECT_EQ(text, "BootLoader 2");
    // Loader mode only opens the port: no probe, no short version.
    EXPECT_EQ(wire.entries().front(), "open 1 @19200");
    EXPECT_EQ(wire.entries()[2], "> 3F");
}

TEST_F(BoardSessionTest, EmptyVersionTextIsShownEmpty) {
    board.versionText = "";
    std::string text = "x";
    ASSERT_TRUE(session.readBoardVersion(1, &text, nullptr, false));
    EXPECT_EQ(text, "");
    EXPECT_EQ(ui.lastStatus(), " (Serial number 54 56 00 10 01)");
}

TEST_F(BoardSessionTest, VersionAndSerialFailures) {
    board.replyOnce(protocol::LongVersion, {});
    EXPECT_FALSE(session.readBoardVersion(1, nullptr, nullptr, false));
    EXPECT_EQ(ui.boxes(), Log{"Error reading version"});
    EXPECT_EQ(ui.lastStatus(), "Error reading version");
    EXPECT_FALSE(channel.isConnected());

    ui.clear();
    board.replyOnce(protocol::LongVersion, {3, 'a', 'b', 'c', 0x0E}); // bad terminator
    EXPECT_FALSE(session.readBoardVersion(1, nullptr, nullptr, false));
    EXPECT_EQ(ui.boxes(), Log{"Error reading version"});
    EXPECT_EQ(session.state().boardVersionText, "Unknown version");
    EXPECT_EQ(wire.entries().back(), "close");

    ui.clear();
    board.replyOnce(protocol::SerialNumber, {1, 2, 3, 4, 5, 6});
    EXPECT_FALSE(session.readBoardVersion(1, nullptr, nullptr, false));
    EXPECT_EQ(ui.boxes(), Log{"Error reading serial number"});
    EXPECT_EQ(ui.lastStatus(), "Reading firmware version...");
}

TEST_F(BoardSessionTest, VersionRequestThatCannotBeSentClosesWithoutEndSession) {
    channel.failWritesFrom = 2; // "%" and "@" go out; the long version request does not
    EXPECT_FALSE(session.readBoardVersion(1, nullptr, nullptr, false));
    EXPECT_EQ(ui.statuses(), (Log{"Reading firmware version...", "Connection error"}));
    EXPECT_EQ(ui.boxes(), Log{"Connection error"});
    EXPECT_EQ(wire.from("> 3F fails"), (Log{"> 3F fails", "close"})); // no EndSession
    EXPECT_FALSE(ui.busy());
}

TEST_F(BoardSessionTest, SerialRequestThatCannotBeSentStillShowsTheVersion) {
    channel.failWritesFrom = 3; // the serial number request and EndSession do not go out
    std::string text;
    std::optional<SerialNumber> serial = SerialNumber{9, 9, 9, 9, 9};
    ASSERT_TRUE(session.readBoardVersion(1, &text, &serial, false));
    EXPECT_EQ(text, "Tovel-U 10.01");
    EXPECT_FALSE(serial.has_value()); // not the number of an earlier board
    EXPECT_EQ(ui.boxes(), (Log{"Error reading serial number", "Warning: incorrect disconnection."}));
}

// Board info has no number to show: it fails rather than show zeros as the board's number.
TEST_F(BoardSessionTest, BoardInfoWithoutASerialNumberFails) {
    channel.failWritesFrom = 3;
    EXPECT_FALSE(session.showBoardInfo(1));
    EXPECT_EQ(ui.boxes(), (Log{"Error reading serial number", "Warning: incorrect disconnection."}));
    EXPECT_EQ(ui.boxes(), (Log{"Error reading serial number", "Warning: incorrect disconnection."}));
    EXPECT_EQ(ui.statuses(), (Log{"Reading firmware version...", "Tovel-U 10.01"}));
    EXPECT_EQ(wire.entries().back(), "close");
}

TEST_F(BoardSessionTest, SignatureBytesStopAtTheFirstMissingReply) {
    Signature signature{};
    EXPECT_FALSE(session.readSignatureBytes(signature)); // no session open
    ASSERT_TRUE(session.openSession(avr(), 1, 0));
    EXPECT_TRUE(session.readSignatureBytes(signature));
    EXPECT_EQ(signature, (Signature{0x1E, 0x93, 0x07}));

    wire.clear();
    board.replyOnce(protocol::SpiInstrRead, {0x1E});
    board.replyOnce(protocol::SpiInstrRead, {});
    EXPECT_FALSE(session.readSignatureBytes(signature));
    EXPECT_EQ(signature, (Signature{0x1E, 0xFF, 0xFF}));
    EXPECT_EQ(wire.entries(), (Log{"> 35 30 00 00", "< 1E", "> 35 30 00 01", "< timeout"}));
}

TEST_F(BoardSessionTest, GuardRecoversOnEveryPathAndWarnsWhenTheBoardDidNotTakePart) {
    ASSERT_TRUE(session.openSession(avr(), 1, 0));
    { ProgrammingSessionGuard guard(session); }
    EXPECT_FALSE(channel.isConnected());
    EXPECT_TRUE(ui.boxes().empty());

    ASSERT_TRUE(session.openSession(avr(), 1, 0));
    board.replyOnce(protocol::LeaveProgramming, {});
    {
        ProgrammingSessionGuard guard(session);
        EXPECT_FALSE(guard.finish());
        EXPECT_TRUE(guard.finish()); // once only
    }
    EXPECT_EQ(ui.boxes(), Log{"Warning: incorrect disconnection."});
    EXPECT_FALSE(channel.isConnected());
}

} // namespace
} // namespace tovel
