// The smaller parts of production runs: the gang options, the simulated boards' control lines,
// the counters a job stamps into each board's image, and the chip log's whole lines.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <thread>

#include <unistd.h>

#include "cli/chip_log.h"
#include "cli/cli_options.h"
#include "image/memory_buffer.h"
#include "production/job_copy.h"
#include "sim/control_channel.h"
#include "support/recording_ui.h"

namespace tovel {
namespace {

using cli::CliText;

cli::ParsedCommandLine parse(std::vector<std::string> arguments) { return cli::parseCommandLine(arguments); }

TEST(GangOptions, SeveralPortsOrACountOfSimulatedBoardsMakeAGang) {
    cli::ParsedCommandLine p = parse({"--port", "5", "--port", "/dev/ttyUSB1", "autoprogram", "job.tvl"});
    ASSERT_FALSE(p.error);
    EXPECT_EQ(p.options.ports, (std::vector<std::string>{"5", "/dev/ttyUSB1"}));
    EXPECT_EQ(p.options.port, "5");
    EXPECT_TRUE(p.options.gang());

    p = parse({"--simulate=4", "--repeat", "--auto-next", "--log-json", "c.jsonl", "autoprogram", "job.tvl"});
    ASSERT_FALSE(p.error);
    EXPECT_EQ(p.options.simulatedBoards, 4);
    EXPECT_FALSE(p.options.simulatedDevice);
    EXPECT_TRUE(p.options.gang());
    // A name is still the chip of the one simulated board.
    p = parse({"--simulate=ATmega16", "signature"});
    ASSERT_FALSE(p.error);
    EXPECT_EQ(p.options.simulatedBoards, 0);
    EXPECT_FALSE(p.options.gang());

    const struct {
        std::vector<std::string> arguments;
        CliText error;
    } refused[] = {
        {{"--simulate=0", "erase"}, CliText::BadValue},
        {{"--simulate=17", "erase"}, CliText::BadValue},
        {{"--port", "1", "--port", "2", "read", "flash", "x.hex"}, CliText::NotForGang},
        {{"--simulate=2", "signature"}, CliText::NotForGang},
        {{"--simulate=2", "--port", "3", "erase"}, CliText::ConflictingOptions},
        {{"--auto-next", "autoprogram", "job.tvl"}, CliText::OptionNeedsOption},
        {{"--simulate-control", "ctl", "--port", "1", "--port", "2", "erase"}, CliText::OptionNeedsOption},
        {{"--serials", "s.db", "erase"}, CliText::OptionNotForCommand},
    };
    for (const auto& r : refused) {
        p = parse(r.arguments);
        ASSERT_TRUE(p.error) << r.arguments[0];
        EXPECT_EQ(p.error->text, r.error) << r.arguments[0];
    }
}

TEST(ControlLines, InsertAndRemoveForOneOfSeveralBoards) {
    const struct {
        const char* line;
        std::optional<sim::ControlCommand> command;
    } cases[] = {
        {"insert", sim::ControlCommand{1, true, ""}},
        {"remove", sim::ControlCommand{1, false, ""}},
        {"3 insert ATtiny13", sim::ControlCommand{3, true, "ATtiny13"}},
        {"  2   remove  ", sim::ControlCommand{2, false, ""}},
        {"", std::nullopt},
        {"0 remove", std::nullopt},
        {"2", std::nullopt},
        {"1234 remove", std::nullopt},
        {"eject", std::nullopt},
        {"remove now", std::nullopt},
        {"1 insert ATmega8 extra", std::nullopt},
    };
    for (const auto& c : cases) {
        const std::optional<sim::ControlCommand> parsed = sim::parseControlLine(c.line);
        ASSERT_EQ(parsed.has_value(), c.command.has_value()) << c.line;
        if (!parsed) continue;
        EXPECT_EQ(parsed->board, c.command->board) << c.line;
        EXPECT_EQ(parsed->insert, c.command->insert) << c.line;
        EXPECT_EQ(parsed->device, c.command->device) << c.line;
    }
}

TEST(JobCounters, ReadWrittenAndLimitedAsTheImageHoldsThem) {
    test::RecordingUi ui;
    Messages messages;
    MemoryBuffer buffer(ui, messages, true);
    ASSERT_TRUE(buffer.create(6));
    EXPECT_EQ(counterWidth(buffer, 1), 2u); // only two bytes below the address
    EXPECT_EQ(counterWidth(buffer, 100), 4u);
    EXPECT_EQ(counterLimit(2), 0xFFFFu);
    EXPECT_EQ(counterLimit(4), 0xFFFFFFFFu);

    writeCounterValue(buffer, 4, 0x01020304);
    EXPECT_EQ(counterValue(buffer, 4), 0x01020304u);
    const std::vector<std::uint8_t> bytes(buffer.data().begin(), buffer.data().end());
    EXPECT_EQ(bytes, (std::vector<std::uint8_t>{0xFF, 0x01, 0x02, 0x03, 0x04, 0xFF}));
    EXPECT_EQ(buffer.attributes()[1], static_cast<std::uint8_t>(ByteAttribute::ChangedInMemory));
    EXPECT_EQ(buffer.attributes()[5], static_cast<std::uint8_t>(ByteAttribute::NotConfirmed));
    // Past the end: the counter ends at the last byte.
    writeCounterValue(buffer, 99, 0xAABB);
    EXPECT_EQ(counterValue(buffer, 5), 0xAABBu);

    MemoryBuffer empty(ui, messages, true);
    EXPECT_EQ(counterWidth(empty, 0), 0u);
    EXPECT_EQ(counterValue(empty, 0), 0u);
    writeCounterValue(empty, 0, 5); // nothing to write into, nothing read out of bounds
}

TEST(ChipLog, LinesStayWholeWhenBoardsAndProcessesWriteAtOnce) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("tovel-chip-log-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string csv = (dir / "chips.csv").string();
    const std::string json = (dir / "chips.jsonl").string();
    constexpr int kThreads = 8;
    constexpr int kLines = 150;
    {
        cli::ChipLog first; // two logs on the same files, as two processes would have
        cli::ChipLog second;
        ASSERT_FALSE(first.open(csv, json));
        ASSERT_FALSE(second.open(csv, json));
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t)
            threads.emplace_back([&, t] {
                for (int n = 0; n < kLines; ++n) {
                    ChipRecord chip;
                    chip.port = "board" + std::to_string(t);
                    chip.status = std::string(200 + t, 'x') + ", \"quoted\"";
                    chip.eepromSerial = static_cast<std::uint64_t>(t * kLines + n);
                    chip.result = ChipResult::Passed;
                    EXPECT_FALSE((t % 2 ? first : second).append({chip, "0000", ""}));
                }
            });
        for (std::thread& thread : threads) thread.join();
    }
    std::ifstream csvIn(csv);
    std::string line;
    std::getline(csvIn, line);
    EXPECT_EQ(line.rfind("time,device,", 0), 0u);
    std::set<std::string> serials;
    int lines = 0;
    while (std::getline(csvIn, line)) {
        ++lines;
        const std::size_t board = line.find(",board");
        ASSERT_NE(board, std::string::npos) << line;
        const int t = line[board + 6] - '0';
        EXPECT_NE(line.find(",\"" + std::string(200 + t, 'x') + ", \"\"quoted\"\"\","), std::string::npos)
            << line;
    }
    EXPECT_EQ(lines, kThreads * kLines);
    std::ifstream jsonIn(json);
    lines = 0;
    while (std::getline(jsonIn, line)) {
        ++lines;
        EXPECT_EQ(line.front(), '{');
        EXPECT_EQ(line.back(), '}');
        const std::size_t at = line.find("\"eepromSerial\":");
        ASSERT_NE(at, std::string::npos);
        serials.insert(line.substr(at, line.find(',', at) - at));
    }
    EXPECT_EQ(lines, kThreads * kLines);
    EXPECT_EQ(serials.size(), static_cast<std::size_t>(kThreads * kLines));

    cli::ChipLog refused;
    EXPECT_EQ(refused.open((dir / "no" / "such.csv").string(), std::nullopt),
              (dir / "no" / "such.csv").string());
    std::filesystem::remove_all(dir);
}

} // namespace
} // namespace tovel
