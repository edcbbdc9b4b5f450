// The firmware update against the simulated board's loader: the image on the wire unchanged, the
// progress, and every row of the update's failure table through injected faults.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <ostream>
#include <unistd.h>

#include "board/board_protocol.h"
#include "board/firmware_update.h"
#include "sim/board_commands.h"
#include "support/sim_bench.h"

namespace tovel {
namespace {

using Log = std::vector<std::string>;
using sim::Fault;
using sim::FaultKind;

const char* const kPowerCycle = "Please detach and then attach power to the programmer, then ensure, that "
                                "\"Bootloader\" is displayed as version number.";
const char* const kCannotOpen =
    "Connection error: cannot open COM port. Check for other applications using it.";

class FirmwareUpdateE2E : public ::testing::Test {
protected:
    void SetUp() override {
        char path[] = "/tmp/tovel-e2e-image-XXXXXX";
        const int fd = ::mkstemp(path);
        imageBytes.resize(protocol::FirmwareImageSize);
        for (std::size_t i = 0; i < imageBytes.size(); ++i)
            imageBytes[i] = static_cast<std::uint8_t>((i * 31) ^ (i >> 8));
        ASSERT_EQ(::write(fd, imageBytes.data(), imageBytes.size()), static_cast<ssize_t>(imageBytes.size()));
        ::close(fd);
        image = path;
    }
    void TearDown() override { ::unlink(image.c_str()); }

    // A board that the person has power-cycled: only its loader answers.
    static sim::SimOptions inLoader(std::vector<Fault> faults = {}) {
        sim::SimOptions options;
        options.firmware = sim::FirmwareState::LoaderOnly;
        options.faults = std::move(faults);
        return options;
    }
    bool update(test::SimBench& bench, int port = 1) {
        return updateFirmware(bench.session, port, image,
                              [&](const std::string& current, const std::string& next) {
                                  dialog = current + " -> " + next;
                                  return std::optional<UploadSpeed>(UploadSpeed::Normal);
                              }) == Outcome::Ok;
    }

    std::vector<std::uint8_t> imageBytes;
    std::string image;
    std::string dialog;
};

TEST_F(FirmwareUpdateE2E, UploadsTheImageUnchangedAndTheNewFirmwareRuns) {
    test::SimBench bench(inLoader());
    const auto begin = std::chrono::steady_clock::now();
    ASSERT_TRUE(update(bench));
    const auto tookMs =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - begin)
            .count();
    EXPECT_EQ(dialog, "Bootloader 1.0 (simulated) -> 10.01");
    EXPECT_EQ(bench.ui.boxes(), Log{kPowerCycle});
    const Log statuses = bench.ui.statuses();
    ASSERT_GE(statuses.size(), 3u);
    EXPECT_EQ(Log(statuses.end() - 3, statuses.end()),
              (Log{"Version successfully updated", "Reading firmware version...",
                   "Tovel-U 10.01 (simulated) (Serial number 54 56 00 10 01)"}));

    bench.board->waitIdle();
    const std::vector<std::uint8_t> sent = bench.hostBytes(*bench.board);
    const auto start = std::find(sent.begin(), sent.end(), protocol::StartLoader);
    ASSERT_NE(start, sent.end());
    ASSERT_GE(static_cast<std::size_t>(sent.end() - start), 1 + imageBytes.size());
    EXPECT_TRUE(std::equal(imageBytes.begin(), imageBytes.end(), start + 1));
    EXPECT_EQ(std::vector<std::uint8_t>(start + 1 + static_cast<long>(imageBytes.size()), sent.end()),
              (std::vector<std::uint8_t>{'%', 0x1B, '?', 'N', 0x1B}));

    // The progress: 1 % only after group 31, never more than 101 updates.
    const Log progress = bench.running.progress.events();
    EXPECT_EQ(Log(progress.begin(), progress.begin() + 6),
              (Log{"title Update", "text Updating firmware version", "bar 0", "cancel hidden",
                   "percent 1% completed", "bar 1"}));
    EXPECT_EQ(progress.back(), "bar 99");
    // Paced by the Acks and 96 pauses of 15 ms; the upper bound only catches a stall (a loaded
    // machine stretches the 3,072 round trips).
    EXPECT_GE(tookMs, 96 * 15);
    EXPECT_LT(tookMs, 90000);

    // The board now runs the required firmware: a session opens.
    SessionParams params;
    EXPECT_TRUE(bench.session.openSession(params, 1, 0));
    EXPECT_TRUE(bench.session.recoverBoard());
}

struct UpdateFailure {
    const char* name;
    std::vector<Fault> faults;
    Log boxesAfterNotice;
    Log lastStatuses;
    bool uploadsEverything;
};

// Test listings show a row by its name rather than as bytes.
void PrintTo(const UpdateFailure& row, std::ostream* out) { *out << row.name; }

Fault makeFault(FaultKind kind, int command, int nth = 1, std::vector<std::uint8_t> bytes = {}) {
    Fault f;
    f.kind = kind;
    f.command = command;
    f.nth = nth;
    f.bytes = std::move(bytes);
    return f;
}

const UpdateFailure kUpdateFailures[] = {
    {"StartLoaderUnanswered",
     {makeFault(FaultKind::DropReply, sim::command::StartLoader)},
     {"Connection error"},
     {"Error while version updating"},
     false},
    {"LoaderNotReady",
     {makeFault(FaultKind::ReplaceReply, sim::command::StartLoader, 1, {'-'})},
     {"Programmer is not ready to update firmware version. Please switch power off and then on."},
     {"Error while version updating"},
     false},
    {"GroupNotAcknowledged",
     {makeFault(FaultKind::ReplaceReply, sim::kImageGroupReply, 101, {0x0E})},
     {"Connection error"},
     {"Error while version updating"},
     false},
    {"LoaderAnswersAfterTheUpload",
     {makeFault(FaultKind::ReplaceReply, sim::command::StatusProbe, 1, {'-'})},
     {"Update firmware version failed."},
     {"Update firmware version failed.", "Error while version updating"},
     true},
    {"NothingAnswersAfterTheUpload",
     {makeFault(FaultKind::DropReply, sim::command::StatusProbe)},
     {"Connection error"},
     {"Connection error", "Error while version updating"},
     true},
    {"VersionNotReadAgain",
     {makeFault(FaultKind::DropReply, sim::command::LongVersion, 2)},
     {"Error reading version"},
     {"Version successfully updated", "Reading firmware version...", "Error reading version",
      "Error while version updating"},
     true},
};

class FirmwareUpdateFailureE2E : public FirmwareUpdateE2E,
                                 public ::testing::WithParamInterface<UpdateFailure> {};

TEST_P(FirmwareUpdateFailureE2E, ReportsAsTheFailureTableSays) {
    const UpdateFailure& row = GetParam();
    test::SimBench bench(inLoader(row.faults), 300);
    EXPECT_FALSE(update(bench));
    Log boxes{kPowerCycle};
    boxes.insert(boxes.end(), row.boxesAfterNotice.begin(), row.boxesAfterNotice.end());
    EXPECT_EQ(bench.ui.boxes(), boxes);
    const Log statuses = bench.ui.statuses();
    ASSERT_GE(statuses.size(), row.lastStatuses.size());
    EXPECT_EQ(Log(statuses.end() - static_cast<long>(row.lastStatuses.size()), statuses.end()),
              row.lastStatuses);
    EXPECT_FALSE(bench.channel.isConnected());
    const std::vector<std::uint8_t> sent = bench.hostBytes(*bench.board);
    EXPECT_EQ(sent.size() > imageBytes.size(), row.uploadsEverything);
    if (std::string(row.name) == "GroupNotAcknowledged") {
        // Stopped at group 100: StartLoader, 101 groups, then EndSession. The progress shows the
        // last acknowledged group (99: 3 %).
        const auto start = std::find(sent.begin(), sent.end(), protocol::StartLoader);
        EXPECT_EQ(sent.end() - start, 1 + 101 * 4 + 1);
        EXPECT_EQ(bench.running.progress.events().back(), "bar 3");
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, FirmwareUpdateFailureE2E, ::testing::ValuesIn(kUpdateFailures),
                         [](const ::testing::TestParamInfo<UpdateFailure>& row) { return row.param.name; });

TEST_F(FirmwareUpdateE2E, AFailedUploadRecoversWithTheCurrentProjectsLinkParameters) {
    // Nothing answers after the upload: the board is recovered, with the link parameters of the
    // person's current project (SCK period 4: code 0x82), though no programming session ran.
    test::SimBench bench(inLoader({makeFault(FaultKind::DropReply, '%')}), 300);
    SessionParams project;
    project.sckPeriodIndex = 4;
    bench.session.followProject([&project] { return project; });
    EXPECT_FALSE(update(bench));
    const std::vector<std::uint8_t> sent = bench.hostBytes(*bench.board);
    const std::vector<std::uint8_t> recovery{protocol::LeaveProgramming, protocol::LinkParameters, 0x00, 0x82,
                                             0x00};
    EXPECT_NE(std::search(sent.begin(), sent.end(), recovery.begin(), recovery.end()), sent.end());
}

TEST_F(FirmwareUpdateE2E, NoBoardChosenOrPortUnavailable) {
    {
        test::SimBench bench(inLoader());
        EXPECT_FALSE(update(bench, 0));
        EXPECT_EQ(bench.ui.boxes(), (Log{"No board specified", kPowerCycle, kCannotOpen}));
        EXPECT_EQ(bench.ui.statuses(), (Log{"Reading firmware version...",
                                            "Select COM port or click 'search board'", "Connection error"}));
    }
    {
        test::SimBench bench(inLoader());
        bench.ports.setOverride(1, "/dev/null/missing");
        EXPECT_FALSE(update(bench));
        const char* const missing = "Connection error: there is no port /dev/null/missing.";
        EXPECT_EQ(bench.ui.boxes(), (Log{missing, kPowerCycle, missing}));
        EXPECT_EQ(bench.ui.lastStatus(), "Connection error");
    }
}

TEST_F(FirmwareUpdateE2E, BadImageSendsNothing) {
    test::SimBench bench(inLoader());
    ASSERT_EQ(::truncate(image.c_str(), 12287), 0);
    EXPECT_FALSE(update(bench));
    ASSERT_EQ(bench.ui.boxes().size(), 1u);
    EXPECT_EQ(bench.ui.boxes()[0].rfind("Cannot read file '" + image + "'\n", 0), 0u);
    bench.board->waitIdle();
    EXPECT_TRUE(bench.board->log().empty());
}

} // namespace
} // namespace tovel
