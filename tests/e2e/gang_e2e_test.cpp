// Gang runs of the command line in this process against four simulated boards on pseudo-terminals:
// every board programs its chip at once, each chip gets its own serial number from the job's
// store, a failing or vanishing board does not stop the others, the hands-free loop follows chips
// put in and taken out through the control FIFO, and the logs hold one whole line a chip.
#include <gtest/gtest.h>

#include "core/stop_request.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <memory>
#include <set>
#include <thread>

#include "e2e/cli_json_syntax.h"
#include "e2e/cli_test_support.h"
#include "production/sqlite_serial_allocator.h"
#include "sim/pty_board_host.h"

namespace tovel::test {
namespace {

constexpr int kBoards = 4;

std::uint32_t counterOf(const std::vector<std::uint8_t>& eeprom) {
    return static_cast<std::uint32_t>(eeprom[0]) << 24 | static_cast<std::uint32_t>(eeprom[1]) << 16 |
           static_cast<std::uint32_t>(eeprom[2]) << 8 | eeprom[3];
}

std::vector<std::string> linesOf(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

class GangRun : public ::testing::Test {
protected:
    void SetUp() override {
        for (int k = 0; k < kBoards; ++k) {
            sim::SimOptions options;
            options.device = "ATmega8";
            hosts.push_back(std::make_unique<sim::PtyBoardHost>(options));
            ASSERT_TRUE(hosts.back()->ok()) << hosts.back()->error();
        }
    }

    std::vector<std::string> portArguments() const {
        std::vector<std::string> arguments;
        for (const auto& host : hosts) arguments.insert(arguments.end(), {"--port", host->slavePath()});
        return arguments;
    }

    CliResult autoprogram(const std::string& project, std::vector<std::string> extra = {}) {
        std::vector<std::string> arguments = portArguments();
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        arguments.insert(arguments.end(), {"autoprogram", project});
        return bench.run(arguments);
    }

    CliBench bench;
    std::vector<std::unique_ptr<sim::PtyBoardHost>> hosts;
};

TEST_F(GangRun, FourChipsAtOnceGetFourDistinctNumbersAndTheNextRunGoesOn) {
    const std::string project = bench.counterProject(0x100);
    const std::string csv = bench.file("chips.csv");
    const std::string json = bench.file("chips.jsonl");
    CliResult r = autoprogram(project, {"--log", csv, "--log-json", json});
    ASSERT_EQ(r.exit, 0) << r.out << r.err;

    std::set<std::uint32_t> numbers;
    for (const auto& host : hosts) numbers.insert(counterOf(host->eeprom()));
    EXPECT_EQ(numbers, (std::set<std::uint32_t>{0x100, 0x101, 0x102, 0x103}));

    // Every board's lines carry its port; the table ends the output.
    for (const auto& host : hosts) EXPECT_TRUE(r.outHas("[" + host->slavePath() + "] Autoprogram: DONE"));
    const std::vector<std::string> out = r.outLines();
    ASSERT_GE(out.size(), 5u);
    EXPECT_EQ(out[out.size() - 5], "Port            Signature  Result  Serial      Time");
    for (std::size_t k = out.size() - 4; k < out.size(); ++k) {
        EXPECT_NE(out[k].find("1E 93 07   PASS"), std::string::npos) << out[k];
    }
    EXPECT_TRUE(r.errHas("Boards: 4, passed: 4, failed: 0\n"));

    const std::vector<std::string> csvLines = linesOf(csv);
    ASSERT_EQ(csvLines.size(), 5u);
    EXPECT_EQ(csvLines[0], "time,device,flash_counter,eeprom_counter,result,exit_status,port,board_serial,"
                           "signature,serial,duration_ms");
    for (std::size_t k = 1; k < csvLines.size(); ++k)
        EXPECT_NE(csvLines[k].find(",ATmega8,,0000010"), std::string::npos) << csvLines[k];
    const std::vector<std::string> jsonLines = linesOf(json);
    ASSERT_EQ(jsonLines.size(), 4u);
    for (const std::string& line : jsonLines) {
        EXPECT_TRUE(JsonSyntax::valid(line)) << line;
        EXPECT_NE(line.find(R"("result":"passed","exit":0)"), std::string::npos) << line;
    }

    // The store beside the project remembers: the next run starts after the numbers spent.
    r = autoprogram(project);
    ASSERT_EQ(r.exit, 0) << r.err;
    numbers.clear();
    for (const auto& host : hosts) numbers.insert(counterOf(host->eeprom()));
    EXPECT_EQ(numbers, (std::set<std::uint32_t>{0x104, 0x105, 0x106, 0x107}));
    SqliteSerialAllocator store(SqliteSerialAllocator::pathForProject(project));
    EXPECT_EQ(store.chips().size(), 8u);
    EXPECT_EQ(store.next("eeprom"), 0x108u);
}

TEST_F(GangRun, AFailingAndAVanishingBoardDoNotStopTheOthers) {
    const std::string project = bench.counterProject(1);
    // Board 2 loses every EEPROM write (the verify fails); board 3 goes silent in mid-transfer.
    hosts[1]->injectFault(sim::Fault::at(sim::FaultKind::PollingFailure, 1).times(1000));
    hosts[2]->injectFault(sim::Fault::at(sim::FaultKind::Silence, 25));
    const CliResult r = autoprogram(project, {"--json"});
    EXPECT_NE(r.exit, 0);
    const std::vector<std::string> lines = r.outLines();
    for (const std::string& line : lines) EXPECT_TRUE(JsonSyntax::valid(line)) << line;
    std::map<std::string, std::string> results;
    for (const std::string& line : lines)
        if (line.rfind(R"({"type":"board")", 0) == 0)
            for (const auto& host : hosts)
                if (line.find("\"" + host->slavePath() + "\"") != std::string::npos)
                    results[host->slavePath()] =
                        line.find(R"("result":"passed")") != std::string::npos ? "pass" : "fail";
    EXPECT_EQ(results[hosts[0]->slavePath()], "pass");
    EXPECT_EQ(results[hosts[1]->slavePath()], "fail");
    EXPECT_EQ(results[hosts[2]->slavePath()], "fail");
    EXPECT_EQ(results[hosts[3]->slavePath()], "pass");

    // Four numbers were spent; the failed chips keep theirs, and no number reached two chips.
    SqliteSerialAllocator store(SqliteSerialAllocator::pathForProject(project));
    const std::vector<ChipRecord> chips = store.chips();
    ASSERT_EQ(chips.size(), 4u);
    std::set<std::uint64_t> numbers;
    int passed = 0;
    for (const ChipRecord& chip : chips) {
        numbers.insert(chip.eepromSerial.value_or(0));
        if (chip.result == ChipResult::Passed) ++passed;
    }
    EXPECT_EQ(numbers, (std::set<std::uint64_t>{1, 2, 3, 4}));
    EXPECT_EQ(passed, 2);
    EXPECT_EQ(store.next("eeprom"), 5u);
}

TEST_F(GangRun, ProgramAndEraseRunOnEveryBoardWithPortPrefixes) {
    bench.example();
    CliResult r = bench.run([&] {
        std::vector<std::string> arguments = portArguments();
        arguments.insert(arguments.end(), {"program", "flash", bench.file("blink.hex")});
        return arguments;
    }());
    ASSERT_EQ(r.exit, 0) << r.err;
    const std::string image = readFile(bench.file("blink.hex"));
    for (const auto& host : hosts) {
        EXPECT_TRUE(r.outHas("[" + host->slavePath() + "] Flash program: Done (184 bytes programmed)\n"));
        EXPECT_NE(host->flash()[0], 0xFF);
    }
    hosts[3]->injectFault(sim::Fault::at(sim::FaultKind::Silence, 0));
    r = bench.run([&] {
        std::vector<std::string> arguments = portArguments();
        arguments.push_back("erase");
        return arguments;
    }());
    EXPECT_EQ(r.exit, 3); // the silent board's connection error
    for (std::size_t k = 0; k < 3; ++k) EXPECT_EQ(hosts[k]->flash()[0], 0xFF);
    EXPECT_TRUE(r.errHas("Boards: 4, passed: 3, failed: 1\n"));
}

TEST_F(GangRun, ALogThatCannotBeWrittenStopsTheLine) {
    const std::string project = bench.counterProject(1);
    const CliResult r = autoprogram(project, {"--log", "/dev/full"});
    EXPECT_EQ(r.exit, 7);
    EXPECT_TRUE(r.errHas("cannot write the log file '/dev/full'")) << r.err;
}

TEST(GangHandsFree, ChipsPutInAndTakenOutThroughTheControlFifo) {
    CliBench bench;
    const std::string project = bench.counterProject(10);
    const std::string csv = bench.file("chips.csv");
    const std::string fifo = bench.file("control");
    StopRequest interrupted;
    cli::CliEnvironment environment;
    environment.stop = &interrupted;

    const auto waitForLines = [&](std::size_t count) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (linesOf(csv).size() < count && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        return linesOf(csv).size();
    };
    const auto send = [&](const std::string& line) {
        std::ofstream control(fifo);
        control << line << '\n';
    };

    CliResult r;
    std::thread run([&] {
        r = bench.run({"--simulate=2", "--simulate-control", fifo, "--log", csv, "--repeat", "--auto-next",
                       "autoprogram", project},
                      {}, environment);
    });
    // Both sockets start with a chip: two chips, then nothing until a chip is changed.
    EXPECT_EQ(waitForLines(3), 3u);
    std::this_thread::sleep_for(std::chrono::milliseconds(1200));
    EXPECT_EQ(linesOf(csv).size(), 3u);
    send("2 remove");
    // A poll is a short session (about 0.6 s with an empty socket) and half a second's pause:
    // this leaves room for at least one poll to find the socket empty.
    std::this_thread::sleep_for(std::chrono::milliseconds(2500));
    send("2 insert");
    EXPECT_EQ(waitForLines(4), 4u);
    interrupted.raise();
    run.join();
    EXPECT_EQ(r.exit, 0) << r.err;

    const std::vector<std::string> lines = linesOf(csv);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_NE(lines[3].find(",sim2,"), std::string::npos) << lines[3];
    SqliteSerialAllocator store(SqliteSerialAllocator::pathForProject(project));
    std::set<std::uint64_t> serials;
    for (const ChipRecord& chip : store.chips()) serials.insert(chip.eepromSerial.value_or(0));
    EXPECT_EQ(serials, (std::set<std::uint64_t>{10, 11, 12}));
    EXPECT_TRUE(r.errHas("[sim2] Remove the chip\n"));
    EXPECT_TRUE(r.errHas("[sim1] Waiting for a chip\n"));
}

} // namespace
} // namespace tovel::test
