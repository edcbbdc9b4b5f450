// Board sessions over a real pseudo-terminal against the simulated board: the worked example on
// the wire with its pauses, a session for a chip of every family at every speed, and every row of
// the session failure table through injected faults.
#include <gtest/gtest.h>

#include <cstdio>

#include "board/board_protocol.h"
#include "board/session_guard.h"
#include "sim/board_commands.h"
#include "support/device_rows.h"
#include "support/sim_bench.h"

namespace tovel {
namespace {

using Log = std::vector<std::string>;
using sim::Fault;
using sim::FaultKind;
constexpr unsigned kShortTimeoutMs = 300;
constexpr std::uint64_t kToleranceUs = 80'000;

const char* const kNoFirmware =
    "Programmer has no firmware and should be updated. Use \"Update firmware version\" "
    "command from \"Advanced\" menu.";

// The line as runs of bytes in one direction: "> 23 01 82 00", "< 0D", with the time and speeds
// of each run's first byte.
struct LineRun {
    std::string text;
    std::uint64_t timeUs;
    int hostBaud;
    int boardBaud;
};

std::vector<LineRun> runsOf(const std::vector<sim::LoggedByte>& log) {
    std::vector<LineRun> runs;
    for (std::size_t i = 0; i < log.size(); ++i) {
        const bool host = log[i].direction == sim::Direction::HostToBoard;
        char cell[4];
        std::snprintf(cell, sizeof cell, "%02X", log[i].byte);
        if (i == 0 || log[i].direction != log[i - 1].direction)
            runs.push_back(
                {std::string(host ? "> " : "< ") + cell, log[i].timeUs, log[i].hostBaud, log[i].boardBaud});
        else
            runs.back().text += std::string(" ") + cell;
    }
    return runs;
}

// The log splits commands sent back to back only by direction; a command and the next one are
// one run when no reply comes between. That never happens in a session: every command is answered.
Log textsOf(const std::vector<LineRun>& runs) {
    Log texts;
    for (const LineRun& r : runs) texts.push_back(r.text);
    return texts;
}

sim::SimOptions chip(const std::string& device) {
    sim::SimOptions options;
    options.device = device;
    return options;
}

SessionParams params(const char* device, int sck = 4, int strobeMs = 20) {
    SessionParams p;
    p.deviceIndex = test::rowNamed(device);
    p.sckPeriodIndex = sck;
    p.resetStrobeMs = strobeMs;
    return p;
}

void expectGap(const std::vector<LineRun>& runs, std::size_t from, std::size_t to, unsigned ms) {
    ASSERT_LT(to, runs.size());
    const std::uint64_t gap = runs[to].timeUs - runs[from].timeUs;
    EXPECT_GE(gap + 1000, ms * 1000ull) << runs[from].text << " -> " << runs[to].text;
    EXPECT_LE(gap, ms * 1000ull + kToleranceUs) << runs[from].text << " -> " << runs[to].text;
}

TEST(SessionE2E, WorkedExampleOnTheWireWithItsPauses) {
    test::SimBench bench(chip("ATmega8"));
    ASSERT_TRUE(bench.ok());
    ASSERT_TRUE(bench.session.openSession(params("ATmega8", 4, 20), 1, 1));
    EXPECT_TRUE(bench.board->inProgrammingMode());
    EXPECT_EQ(bench.board->boardBaud(), 115200);
    EXPECT_EQ(bench.ui.statuses(), (Log{"Reset strobe... (20 ms)", "Connection accepted"}));
    ASSERT_TRUE(bench.session.recoverBoard());
    ASSERT_TRUE(bench.board->waitIdle());

    const std::vector<LineRun> runs = runsOf(bench.board->log());
    const Log texts = textsOf(runs);
    ASSERT_EQ(texts.size(), 18u) << ::testing::PrintToString(texts);
    EXPECT_EQ(Log(texts.begin(), texts.begin() + 11),
              (Log{"> 25", "< 2B", "> 40", "< 4D 30 31", "> 26 02", "< 0D", "> 3A 00 00", "< 0D",
                   "> 23 01 82 00", "< 0D", "> 51"}));
    EXPECT_EQ(texts[12], "> 3D");
    EXPECT_EQ(Log(texts.begin() + 14, texts.end()), (Log{"> 2D", "< 0D", "> 23 00 82 00", "< 0D"}));

    expectGap(runs, 1, 2, 50);    // "+" -> ShortVersion
    expectGap(runs, 3, 4, 0);     // version -> DeviceClass at once
    expectGap(runs, 8, 10, 190);  // LinkParameters -> 50 + 50 + close, 45, reopen, 45 -> reset strobe
    expectGap(runs, 11, 12, 20);  // strobe reply -> the 20 ms strobe -> programming enable
    expectGap(runs, 13, 14, 150); // end: 150 ms -> LeaveProgramming
    expectGap(runs, 15, 16, 150); // 150 ms -> LinkParameters back to 19200
    for (std::size_t i = 0; i < 10; ++i) EXPECT_EQ(runs[i].hostBaud, 19200) << runs[i].text;
    for (std::size_t i = 10; i < runs.size(); ++i) {
        EXPECT_EQ(runs[i].hostBaud, 115200) << runs[i].text;
        EXPECT_EQ(runs[i].boardBaud, 115200) << runs[i].text;
    }
    EXPECT_EQ(bench.board->boardBaud(), 19200);
    EXPECT_FALSE(bench.board->inProgrammingMode());
    EXPECT_FALSE(bench.channel.isConnected());
}

// A session for `device` at every speed: programming mode reached at the chosen speed (the
// signature read over it proves the link), and the board left idle at 19200 baud.
void sessionsAtEverySpeed(const std::string& device, const std::string& acceptedStatus) {
    const int deviceIndex = test::rowNamed(device.c_str());
    test::SimBench bench(chip(device));
    ASSERT_TRUE(bench.ok());
    const int speeds[] = {19200, 115200, 921600};
    for (int baudIndex = 0; baudIndex < 3; ++baudIndex) {
        bench.ui.clear();
        ASSERT_TRUE(bench.session.openSession(params(device.c_str()), 1, baudIndex))
            << device << " " << baudIndex;
        EXPECT_EQ(bench.ui.lastStatus(), acceptedStatus) << device << " " << baudIndex;
        EXPECT_EQ(bench.board->boardBaud(), speeds[baudIndex]);
        if (DeviceTable::device(deviceIndex).spiVariant == SpiVariant::Avr &&
            !DeviceTable::device(deviceIndex).isDataFlash()) {
            Signature signature{};
            EXPECT_TRUE(bench.session.readSignatureBytes(signature));
            EXPECT_EQ(signature, DeviceTable::device(deviceIndex).signature) << device;
        }
        EXPECT_TRUE(bench.session.recoverBoard()) << device << " " << baudIndex;
        EXPECT_EQ(bench.board->boardBaud(), 19200);
        EXPECT_FALSE(bench.board->inProgrammingMode());
        EXPECT_TRUE(bench.ui.boxes().empty()) << ::testing::PrintToString(bench.ui.boxes());
    }
}

TEST(SessionE2E, MegaAtEverySpeed) { sessionsAtEverySpeed("ATmega8", "Connection accepted"); }
TEST(SessionE2E, TinyAtEverySpeed) { sessionsAtEverySpeed("ATtiny13", "Connection accepted"); }
TEST(SessionE2E, At90AtEverySpeed) { sessionsAtEverySpeed("AT90S8515", "Connection accepted"); }
TEST(SessionE2E, At86AtEverySpeed) { sessionsAtEverySpeed("AT86RF401", "Connection accepted"); }
TEST(SessionE2E, At89AtEverySpeed) {
    sessionsAtEverySpeed("AT89S51", "Connection accepted");
    sessionsAtEverySpeed("AT89S8252", "Connection accepted");
}
TEST(SessionE2E, At25AtEverySpeed) { sessionsAtEverySpeed("AT25256", "Connection accepted"); }
TEST(SessionE2E, At45AtEverySpeed) { sessionsAtEverySpeed("AT45DB041", "AT45 memory detected"); }

TEST(SessionE2E, DataFlashOfAnotherSizeAndNoDataFlash) {
    test::SimBench bench(chip("AT45DB081"));
    ASSERT_TRUE(bench.session.openSession(params("AT45DB041"), 1, 0));
    EXPECT_EQ(bench.ui.statuses(), (Log{"", "AT45 memory not detected (signature as AT45DB081)"}));
    bench.session.recoverBoard();

    test::SimBench empty(chip("none"));
    ASSERT_TRUE(empty.session.openSession(params("AT45DB041"), 1, 0));
    EXPECT_EQ(empty.ui.statuses(), (Log{"", "AT45 memory not detected"}));
    EXPECT_TRUE(empty.session.recoverBoard());
}

// --- The failure table ---

struct FailureRow {
    const char* name;
    std::function<void(sim::SimOptions&)> setUp;
    Log boxes;
    Log statuses;
    bool boardRecovered; // LeaveProgramming went out after the failure
};

TEST(SessionE2E, EveryRowOfTheFailureTable) {
    auto fault = [](FaultKind kind, int command, std::vector<std::uint8_t> bytes = {}, int nth = 1) {
        Fault f;
        f.kind = kind;
        f.command = command;
        f.bytes = std::move(bytes);
        f.nth = nth;
        return f;
    };
    const std::string conflict = "Version conflict. You need to update firmware version.";
    const FailureRow rows[] = {
        {"missing Ack",
         [&](sim::SimOptions& o) {
             o.faults.push_back(fault(FaultKind::DropReply, sim::command::DeviceClass));
         },
         {"Connection error"},
         {"Connection error"},
         true},
        {"wrong Ack",
         [&](sim::SimOptions& o) {
             o.faults.push_back(fault(FaultKind::ReplaceReply, sim::command::SetAddress, {0x0E}));
         },
         {"Connection error"},
         {"Connection error"},
         true},
        {"no answer to StatusProbe",
         [](sim::SimOptions& o) { o.firmware = sim::FirmwareState::None; },
         {kNoFirmware},
         {"Connection error"},
         false},
        {"loader only",
         [](sim::SimOptions& o) { o.firmware = sim::FirmwareState::LoaderOnly; },
         {kNoFirmware},
         {"Connection error"},
         false},
        {"err",
         [&](sim::SimOptions& o) {
             o.faults.push_back(fault(FaultKind::OtherVersion, -1, {'e', 'r', 'r'}, 0));
         },
         {"Internal error while synchronizing with Tovel/Tovel-U"},
         {"Connection error"},
         true},
        {"ld2",
         [&](sim::SimOptions& o) {
             o.faults.push_back(fault(FaultKind::OtherVersion, -1, {'l', 'd', '2'}, 0));
         },
         {"Version conflict. Update firmware version with '\\Advanced\\Update firmware version...' command."},
         {conflict},
         true},
        {"M02",
         [&](sim::SimOptions& o) {
             o.faults.push_back(fault(FaultKind::OtherVersion, -1, {'M', '0', '2'}, 0));
         },
         {"Version conflict.\nFW version: M.02\nRequired version M.01.\nUpdate version and try again."},
         {conflict},
         true},
        {"out of step, then silent",
         [&](sim::SimOptions& o) {
             o.faults.push_back(fault(FaultKind::ReplaceReply, sim::command::StatusProbe, {'x'}));
             o.faults.push_back(fault(FaultKind::DropReply, sim::command::StatusProbe, {}, 2));
         },
         {kNoFirmware},
         {"Connection error"},
         false},
    };
    for (const FailureRow& row : rows) {
        sim::SimOptions options = chip("ATmega8");
        row.setUp(options);
        test::SimBench bench(options, kShortTimeoutMs);
        EXPECT_FALSE(bench.session.openSession(params("ATmega8"), 1, 1)) << row.name;
        EXPECT_EQ(bench.ui.boxes(), row.boxes) << row.name;
        EXPECT_EQ(bench.ui.statuses(), row.statuses) << row.name;
        EXPECT_FALSE(bench.channel.isConnected()) << row.name;
        bench.board->waitIdle();
        const std::vector<std::uint8_t> sent = bench.hostBytes(*bench.board);
        const bool recovered = std::find(sent.begin(), sent.end(), protocol::LeaveProgramming) != sent.end();
        EXPECT_EQ(recovered, row.boardRecovered) << row.name;
        EXPECT_EQ(bench.board->boardBaud(), 19200) << row.name;
    }
}

// A lost Ack at the session speed must not strand the board there: the next session has to work.
TEST(SessionE2E, LostAcksAtTheSessionSpeedLeaveTheBoardAt19200) {
    auto drop = [](int command) {
        Fault f;
        f.kind = FaultKind::DropReply;
        f.command = command;
        f.nth = 1;
        return f;
    };
    const std::vector<std::pair<const char*, std::vector<Fault>>> cases = {
        {"LinkParameters Ack", {drop(sim::command::LinkParameters)}},
        {"reset strobe reply, then LeaveProgramming Ack",
         {drop(sim::command::ResetStrobeShort), drop(sim::command::LeaveProgramming)}},
    };
    for (const int baudIndex : {1, 2}) {
        for (const auto& [name, faults] : cases) {
            sim::SimOptions options = chip("ATmega8");
            options.faults = faults;
            test::SimBench bench(options, kShortTimeoutMs);
            EXPECT_FALSE(bench.session.openSession(params("ATmega8"), 1, baudIndex))
                << name << " " << baudIndex;
            EXPECT_EQ(bench.ui.boxes(), Log{"Connection error"}) << name << " " << baudIndex;
            bench.board->waitIdle();
            EXPECT_EQ(bench.board->boardBaud(), 19200) << name << " " << baudIndex;
            EXPECT_FALSE(bench.board->inProgrammingMode()) << name << " " << baudIndex;
            EXPECT_TRUE(bench.session.openSession(params("ATmega8"), 1, baudIndex))
                << name << " " << baudIndex;
            bench.session.endSession();
        }
    }
}

TEST(SessionE2E, PortThatCannotBeOpened) {
    test::SimBench bench(chip("ATmega8"));
    bench.ports.setOverride(1, "/dev/null/missing");
    EXPECT_FALSE(bench.session.openSession(params("ATmega8"), 1, 0));
    EXPECT_EQ(bench.ui.statuses(), Log{"Connection error"});
    // The box names the cause: a path below a file cannot exist.
    EXPECT_EQ(bench.ui.boxes(), Log{"Connection error: there is no port /dev/null/missing."});

    // Held by another program.
    bench.ports.setOverride(1, bench.board->slavePath());
    PosixSerialChannel other(bench.ports);
    ASSERT_TRUE(other.openPort(0, 19200));
    bench.ui.clear();
    EXPECT_FALSE(bench.session.openSession(params("ATmega8"), 1, 0));
    EXPECT_EQ(bench.ui.statuses(), Log{"Connection error"});
    EXPECT_EQ(bench.ui.boxes().size(), 1u);
}

TEST(SessionE2E, StrayByteIsDrainedAndTheSessionGoesOn) {
    sim::SimOptions options = chip("ATmega8");
    Fault stray;
    stray.kind = FaultKind::OutOfStep;
    stray.command = sim::command::StatusProbe;
    options.faults.push_back(stray);
    test::SimBench bench(options, kShortTimeoutMs);
    ASSERT_TRUE(bench.session.openSession(params("ATmega8"), 1, 2));
    EXPECT_EQ(bench.ui.lastStatus(), "Connection accepted");
    EXPECT_TRUE(bench.session.recoverBoard());
}

TEST(SessionE2E, VersionInfoAndItsFailures) {
    {
        test::SimBench bench(chip("ATmega8"));
        bench.session.showBoardInfo(1);
        EXPECT_EQ(bench.ui.boxes(),
                  Log{"Tovel-U 10.01 (simulated)\nVoltage: 3.3 ... 5.0 V\nSerial number: 54 56 00 10 01"});
        EXPECT_EQ(bench.ui.lastStatus(), "Tovel-U 10.01 (simulated) (Serial number 54 56 00 10 01)");
    }
    {
        test::SimBench bench(chip("ATmega8"));
        bench.session.showBoardInfo(0);
        EXPECT_EQ(bench.ui.boxes(), Log{"No board specified"});
        EXPECT_EQ(bench.ui.lastStatus(), "Select COM port or click 'search board'");
    }
    {
        sim::SimOptions options = chip("ATmega8");
        Fault drop;
        drop.command = sim::command::LongVersion;
        options.faults.push_back(drop);
        test::SimBench bench(options, kShortTimeoutMs);
        EXPECT_FALSE(bench.session.readBoardVersion(1, nullptr, nullptr, false));
        EXPECT_EQ(bench.ui.boxes(), Log{"Error reading version"});
        EXPECT_EQ(bench.ui.lastStatus(), "Error reading version");
    }
    {
        sim::SimOptions options = chip("ATmega8");
        Fault corrupt;
        corrupt.kind = FaultKind::CorruptReply;
        corrupt.command = sim::command::SerialNumber;
        options.faults.push_back(corrupt);
        test::SimBench bench(options, kShortTimeoutMs);
        EXPECT_FALSE(bench.session.readBoardVersion(1, nullptr, nullptr, false));
        EXPECT_EQ(bench.ui.boxes(), Log{"Error reading serial number"});
        EXPECT_EQ(bench.ui.lastStatus(), "Reading firmware version...");
        EXPECT_FALSE(bench.channel.isConnected());
    }
    {
        sim::SimOptions options = chip("ATmega8");
        options.firmware = sim::FirmwareState::LoaderOnly;
        test::SimBench bench(options);
        std::string text;
        EXPECT_TRUE(bench.session.readBoardVersion(1, &text, nullptr, true)); // loader mode: shown
        EXPECT_EQ(text, "Bootloader 1.0 (simulated)");
    }
}

TEST(SessionE2E, FailedEndOfSessionWarns) {
    sim::SimOptions options = chip("ATmega8");
    Fault drop;
    drop.command = sim::command::LeaveProgramming;
    options.faults.push_back(drop);
    test::SimBench bench(options, kShortTimeoutMs);
    ASSERT_TRUE(bench.session.openSession(params("ATmega8"), 1, 1));
    { ProgrammingSessionGuard guard(bench.session); }
    EXPECT_EQ(bench.ui.boxes(), Log{"Warning: incorrect disconnection."});
    EXPECT_FALSE(bench.channel.isConnected());
}

} // namespace
} // namespace tovel
