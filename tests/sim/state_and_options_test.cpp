// The state file and the tovel-sim command line.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "sim/command_line.h"
#include "sim/state_file.h"
#include "sim_test_support.h"

using namespace tovel::sim;
using namespace tovel::sim::test;

namespace {
std::string temporaryPath(const std::string& name) {
    return (std::filesystem::temp_directory_path() / (name + "-" + std::to_string(::getpid()))).string();
}

ChipMemories sample() {
    ChipMemories m;
    m.flash.assign(64, 0xFF);
    m.eeprom.assign(16, 0xFF);
    m.flash[3] = 0x0A; // a newline in the data must not confuse the reader
    m.eeprom[15] = 0x42;
    m.fuses = {0xE4, 0xD9, 0xFF};
    m.lock = 0xFC;
    m.calibration = {0xA1, 0xA2, 0xA3, 0xA4};
    return m;
}
} // namespace

TEST(StateFile, RoundTripAndRefusals) {
    const std::string path = temporaryPath("tovel-sim-state-test");
    std::string error;
    ASSERT_TRUE(saveState(path, "ATmega8", sample(), error)) << error;

    ChipMemories loaded;
    loaded.flash.assign(64, 0);
    loaded.eeprom.assign(16, 0);
    EXPECT_EQ(loadState(path, "atmega8", loaded), StateLoad::Loaded);
    EXPECT_EQ(loaded, sample());

    ChipMemories other = loaded;
    EXPECT_EQ(loadState(path, "ATmega16", other), StateLoad::OtherDevice);
    ChipMemories bigger;
    bigger.flash.assign(128, 0);
    bigger.eeprom.assign(16, 0);
    EXPECT_EQ(loadState(path, "ATmega8", bigger), StateLoad::Damaged);
    EXPECT_EQ(bigger.flash[0], 0x00); // untouched

    std::filesystem::resize_file(path, std::filesystem::file_size(path) - 20);
    EXPECT_EQ(loadState(path, "ATmega8", loaded), StateLoad::Damaged);
    std::filesystem::remove(path);
    EXPECT_EQ(loadState(path, "ATmega8", loaded), StateLoad::Missing);
}

TEST(CommandLine, OptionsAndFaultSpecifications) {
    const CommandLine line =
        parseCommandLine({"--device", "atmega16", "--latency", "16", "--state", "s.bin", "--fault",
                          "drop,nth=3,cmd={", "--fault", "version,bytes=M02", "--fault",
                          "replace,cmd=0x25,bytes=0x78", "--signature", "1E:99:99"});
    ASSERT_TRUE(line.error.empty()) << line.error;
    const SimOptions& o = line.options;
    EXPECT_EQ(o.device, "atmega16");
    EXPECT_TRUE(o.timing.enabled);
    EXPECT_EQ(o.timing.replyLatencyUs, 16000u);
    EXPECT_EQ(o.stateFile, "s.bin");
    ASSERT_EQ(o.faults.size(), 3u);
    EXPECT_EQ(o.faults[0].kind, FaultKind::DropReply);
    EXPECT_EQ(o.faults[0].nth, 3);
    EXPECT_EQ(o.faults[0].command, '{');
    EXPECT_EQ(o.faults[1].kind, FaultKind::OtherVersion);
    EXPECT_EQ(o.faults[1].nth, 0); // state faults act at once
    EXPECT_EQ(o.faults[1].bytes, text("M02"));
    EXPECT_EQ(o.faults[2].command, '%');
    EXPECT_EQ(o.faults[2].bytes, text("x"));
    EXPECT_EQ(o.signature, (std::array<std::uint8_t, 3>{0x1E, 0x99, 0x99}));

    for (const std::vector<std::string>& bad : {std::vector<std::string>{"--device", "ATmega9"},
                                                {"--device"},
                                                {"--fault", "explode"},
                                                {"--fault", "drop,nth=x"},
                                                {"--fault", "drop,nth"},
                                                {"--fault", "swap"},
                                                {"--signature", "1E99"},
                                                {"--version", "M1"},
                                                {"--firmware", "broken"},
                                                {"--bogus"},
                                                {"--latency", "-1"}})
        EXPECT_FALSE(parseCommandLine(bad).error.empty()) << bad[0] << " " << (bad.size() > 1 ? bad[1] : "");
    EXPECT_TRUE(parseCommandLine({"--help"}).help);
    EXPECT_TRUE(parseCommandLine({"--device", "none"}).error.empty());
}
