// The firmware update handler and its upload worker against a scripted loader: the pacing of both
// speeds, every failure row, and the refusal of a missing or malformed image.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <unistd.h>

#include "board/board_protocol.h"
#include "board/firmware_image.h"
#include "board/firmware_update.h"
#include "support/fake_board_link.h"
#include "support/recording_progress.h"

namespace tovel {
namespace {

using Log = std::vector<std::string>;

const char* const kNotReady =
    "Programmer is not ready to update firmware version. Please switch power off and then on.";
const char* const kPowerCycle = "Please detach and then attach power to the programmer, then ensure, that "
                                "\"Bootloader\" is displayed as version number.";

std::string writeImage(std::size_t size) {
    char path[] = "/tmp/tovel-image-XXXXXX";
    const int fd = ::mkstemp(path);
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
    EXPECT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(size));
    ::close(fd);
    return path;
}

class FirmwareUpdateTest : public ::testing::Test {
protected:
    void TearDown() override { std::remove(image.c_str()); }

    bool update(std::optional<UploadSpeed> speed = UploadSpeed::Normal, int port = 1) {
        return updateFirmware(session, port, image, [&](const std::string& current, const std::string& next) {
                   dialogShown = current + " -> " + next;
                   return speed;
               }) == Outcome::Ok;
    }
    // The waits logged between sending group g's bytes and reading its Ack.
    Log pausesOfGroup(std::size_t g) const {
        const Log& log = wire.entries();
        std::size_t groups = 0;
        // Find the (g+1)-th run of four one-byte writes after the loader's ready reply.
        auto it = std::find(log.begin(), log.end(), "< 2B");
        for (; it != log.end(); ++it) {
            if (it->size() == 4 && it->rfind("> ", 0) == 0) {
                if (groups++ == g) break;
                it += 3;
            }
        }
        Log pauses;
        for (it += 4; it != log.end() && it->rfind("wait", 0) == 0; ++it) pauses.push_back(*it);
        return pauses;
    }

    std::string image = writeImage(protocol::FirmwareImageSize);
    std::string dialogShown;
    test::WireLog wire;
    test::TestClock clock = test::wireClock(wire);
    test::FakeSerialChannel channel{wire, clock};
    test::RecordingUi ui;
    test::HeadlessRunning headless{ui};
    Messages messages;
    BoardSession session{channel, ui, messages, clock};
    test::FakeBoard& board = channel.board(1);
};

TEST_F(FirmwareUpdateTest, NormalSpeedUploadsEveryGroupAndReadsTheNewVersion) {
    ASSERT_TRUE(update(UploadSpeed::Normal));
    EXPECT_EQ(dialogShown, "Tovel-U 10.01 -> 10.01");
    EXPECT_EQ(board.groupsReceived(), protocol::FirmwareGroupCount);
    EXPECT_EQ(ui.boxes(), Log{kPowerCycle});
    EXPECT_EQ(ui.statuses(),
              (Log{"Reading firmware version...", "Tovel-U 10.01 (Serial number 54 56 00 10 01)",
                   "Version successfully updated", "Reading firmware version...",
                   "Tovel-U 10.01 (Serial number 54 56 00 10 01)"}));
    // The upload: port opened without a probe, loader started, then 4 single-byte writes a group.
    const Log upload = wire.from("> 5E");
    ASSERT_GE(upload.size(), 12u);
    EXPECT_EQ(Log(upload.begin(), upload.begin() + 8),
              (Log{"> 5E", "wait 15", "< 2B", "wait 15", "> 03", "> 0A", "> 11", "> 18"}));
    EXPECT_EQ(pausesOfGroup(0), Log{});
    EXPECT_EQ(pausesOfGroup(30), Log{});
    EXPECT_EQ(pausesOfGroup(31), Log{"wait 15"});
    EXPECT_EQ(pausesOfGroup(32), Log{});
    EXPECT_EQ(pausesOfGroup(63), Log{"wait 15"});
    EXPECT_EQ(pausesOfGroup(3071), (Log{"wait 15"}));
    const auto probe = std::find(upload.begin(), upload.end(), "wait 150");
    ASSERT_NE(probe, upload.end());
    EXPECT_EQ(Log(probe - 2, probe + 6),
              (Log{"< 0D", "wait 50", "wait 150", "> 25", "wait 50", "< 2B", "> 1B", "close"}));
    const auto percents = headless.progress.events();
    EXPECT_EQ(percents[0], "title Update");
    EXPECT_EQ(percents[1], "text Updating firmware version");
    EXPECT_EQ(percents[3], "cancel hidden");
    EXPECT_EQ(percents[4], "percent 1% completed");
}

TEST_F(FirmwareUpdateTest, ReducedSpeedPausesAfterEveryGroup) {
    ASSERT_TRUE(update(UploadSpeed::Reduced));
    const Log upload = wire.from("wait 100");
    EXPECT_EQ(Log(upload.begin(), upload.begin() + 6),
              (Log{"wait 100", "> 5E", "wait 100", "< 2B", "wait 50", "> 03"}));
    EXPECT_EQ(pausesOfGroup(0), Log{"wait 5"});
    EXPECT_EQ(pausesOfGroup(31), Log{"wait 30"});
    EXPECT_EQ(pausesOfGroup(1000), Log{"wait 5"});
}

TEST_F(FirmwareUpdateTest, CancelInTheDialogOpensNoSession) {
    EXPECT_FALSE(update(std::nullopt));
    EXPECT_EQ(ui.boxes(), Log{kPowerCycle});
    EXPECT_EQ(wire.entries().back(), "close"); // the version read only
    EXPECT_EQ(std::count(wire.entries().begin(), wire.entries().end(), "> 5E"), 0);
}

TEST_F(FirmwareUpdateTest, FailuresOfTheUpload) {
    struct Case {
        std::function<void(test::FakeBoard&)> fault;
        Log boxesAfterNotice;
        Log lastStatuses;
    };
    const Case cases[] = {
        {[](test::FakeBoard& b) { b.replyOnce(protocol::StartLoader, test::bytesOf("-")); },
         {kNotReady},
         {"Error while version updating"}},
        {[](test::FakeBoard& b) { b.replyOnce(protocol::StartLoader, {}); },
         {"Connection error"},
         {"Error while version updating"}},
        {[](test::FakeBoard& b) { b.replyToGroup(100, {0x0E}); },
         {"Connection error"},
         {"Error while version updating"}},
        {[](test::FakeBoard& b) { b.replyOnce(protocol::StatusProbe, test::bytesOf("-")); },
         {"Update firmware version failed."},
         {"Update firmware version failed.", "Error while version updating"}},
        {[](test::FakeBoard& b) { b.replyOnce(protocol::StatusProbe, {}); },
         {"Connection error"},
         {"Connection error", "Error while version updating"}},
    };
    for (const Case& c : cases) {
        test::FakeBoard& b = channel.board(1);
        b = test::FakeBoard();
        c.fault(b);
        ui.clear();
        EXPECT_FALSE(update());
        Log boxes = {kPowerCycle};
        boxes.insert(boxes.end(), c.boxesAfterNotice.begin(), c.boxesAfterNotice.end());
        EXPECT_EQ(ui.boxes(), boxes);
        const Log statuses = ui.statuses();
        ASSERT_GE(statuses.size(), c.lastStatuses.size());
        EXPECT_EQ(Log(statuses.end() - static_cast<long>(c.lastStatuses.size()), statuses.end()),
                  c.lastStatuses);
        EXPECT_FALSE(channel.isConnected());
    }
}

TEST_F(FirmwareUpdateTest, AGroupNotAcknowledgedStopsTheUploadThere) {
    board.replyToGroup(100, {0x0E});
    EXPECT_FALSE(update());
    EXPECT_EQ(board.groupsReceived(), 101u);
    const auto events = headless.progress.events();
    EXPECT_EQ(events.back(), "bar 3"); // the last acknowledged group, 99: 99 * 100 / 3072 = 3
}

TEST_F(FirmwareUpdateTest, VersionNotReadBackAfterASuccessfulUpload) {
    test::Bytes normal{13};
    for (char ch : std::string("Tovel-U 10.01")) normal.push_back(static_cast<std::uint8_t>(ch));
    normal.push_back(protocol::Ack);
    board.replyOnce(protocol::LongVersion, normal);
    board.replyOnce(protocol::LongVersion, {});
    EXPECT_FALSE(update());
    const Log statuses = ui.statuses();
    EXPECT_EQ(Log(statuses.end() - 4, statuses.end()),
              (Log{"Version successfully updated", "Reading firmware version...", "Error reading version",
                   "Error while version updating"}));
}

TEST_F(FirmwareUpdateTest, NoBoardChosen) {
    EXPECT_FALSE(update(UploadSpeed::Normal, 0));
    EXPECT_EQ(ui.boxes(),
              (Log{"No board specified", kPowerCycle,
                   "Connection error: cannot open COM port. Check for other applications using it."}));
    EXPECT_EQ(ui.statuses(), (Log{"Reading firmware version...", "Select COM port or click 'search board'",
                                  "Connection error"}));
    EXPECT_EQ(dialogShown, " -> 10.01");
}

TEST_F(FirmwareUpdateTest, AMissingOrMalformedImageSendsNothing) {
    for (const std::size_t size :
         {std::size_t{0}, protocol::FirmwareImageSize - 1, protocol::FirmwareImageSize + 1}) {
        std::remove(image.c_str());
        image = writeImage(size);
        ui.clear();
        EXPECT_FALSE(update());
        ASSERT_EQ(ui.boxes().size(), 1u);
        EXPECT_EQ(ui.boxes()[0].rfind("Cannot read file '" + image + "'\n", 0), 0u) << ui.boxes()[0];
        EXPECT_EQ(ui.lastStatus(), "Cannot read file '" + image + "'");
    }
    image = "/nonexistent/tovel-firmware.bin";
    ui.clear();
    EXPECT_FALSE(update());
    EXPECT_EQ(ui.boxes(),
              Log{"Cannot read file '/nonexistent/tovel-firmware.bin'\nNo such file or directory"});
    EXPECT_TRUE(wire.entries().empty());
    EXPECT_TRUE(dialogShown.empty());
}

TEST(FirmwareImageTest, InstalledImageIsLookedForInTheDataDirectoryThenBesideTheProgram) {
    const std::vector<std::string> places = firmwareImageLocations();
    ASSERT_EQ(places.size(), 2u);
    EXPECT_EQ(places[0], std::string(TOVEL_DATA_DIR) + "/tovel-firmware.bin");
    EXPECT_NE(places[1].find("/data/tovel-firmware.bin"), std::string::npos);
    EXPECT_EQ(firmwareImageVersionText(), "10.01");
}

} // namespace
} // namespace tovel
