// The command line's grammar: what parses to what, and every usage error (exit status 2).
#include <gtest/gtest.h>

#include "cli/cli_options.h"

namespace tovel::cli {
namespace {

ParsedCommandLine parse(std::vector<std::string> arguments) { return parseCommandLine(arguments); }

TEST(CliOptions, CommandsAndTheirArguments) {
    ParsedCommandLine p = parse({"--port", "/dev/ttyUSB0", "program", "eeprom", "data.eep", "--baud=2"});
    ASSERT_FALSE(p.error);
    EXPECT_EQ(p.options.command, Command::Program);
    EXPECT_EQ(p.options.commandName, "program eeprom");
    EXPECT_EQ(p.options.memory, MemoryArg::Eeprom);
    EXPECT_EQ(p.options.files, std::vector<std::string>{"data.eep"});
    EXPECT_EQ(p.options.port, "/dev/ttyUSB0");
    EXPECT_EQ(p.options.baudIndex, 2);

    p = parse({"autoprogram", "job.tvl", "--repeat", "--log", "chips.csv", "--yes"});
    ASSERT_FALSE(p.error);
    EXPECT_EQ(p.options.command, Command::AutoProgram);
    EXPECT_EQ(p.options.projectPath, "job.tvl");
    EXPECT_TRUE(p.options.files.empty());
    EXPECT_TRUE(p.options.repeat);
    EXPECT_EQ(p.options.logPath, "chips.csv");
    EXPECT_EQ(p.options.answerYes, true);

    p = parse({"--simulate=atmega16", "--device", "9", "fuses", "read", "--lang", "ru", "--json"});
    ASSERT_FALSE(p.error);
    EXPECT_EQ(p.options.command, Command::FusesRead);
    EXPECT_EQ(p.options.simulatedDevice, "atmega16");
    EXPECT_EQ(p.options.deviceNo, 9);
    EXPECT_EQ(p.options.language, Language::Russian);
    EXPECT_TRUE(p.options.json);

    p = parse(
        {"--simulate-state", "chip.state", "--device", "ATMEGA8", "--", "convert", "-in.hex", "out.bin"});
    ASSERT_FALSE(p.error);
    EXPECT_TRUE(p.options.simulate); // keeping a simulated chip implies the simulator
    EXPECT_EQ(p.options.files, (std::vector<std::string>{"-in.hex", "out.bin"}));
    EXPECT_FALSE(p.options.answerYes); // questions get No

    EXPECT_TRUE(parse({"--help", "no-such-command"}).options.help);
    EXPECT_TRUE(parse({"--version"}).options.version);
    EXPECT_EQ(parse({"update-firmware", "--reduced-speed"}).options.files.size(), 0u);
    EXPECT_TRUE(parse({"--changed-only", "program", "eeprom", "e.eep"}).options.changedOnly);
    EXPECT_TRUE(parse({"autoprogram", "--changed-only"}).options.changedOnly);
    EXPECT_EQ(parse({"--port", "COM3", "info"}).options.port, "COM3");
}

TEST(CliOptions, UsageErrorsNameWhatIsWrong) {
    struct Case {
        std::vector<std::string> arguments;
        std::string message;
    };
    const Case cases[] = {
        {{}, "no command given"},
        {{"--port"}, "option '--port' needs a value"},
        {{"--frobnicate", "info"}, "unknown option '--frobnicate'"},
        {{"-x", "info"}, "unknown option '-x'"},
        {{"flash", "it"}, "unknown command 'flash'"},
        {{"read", "flash"}, "usage: tovelisp-cli [OPTIONS] read flash|eeprom FILE"},
        {{"read", "sram", "x.bin"}, "usage: tovelisp-cli [OPTIONS] read flash|eeprom FILE"},
        {{"erase", "now"}, "usage: tovelisp-cli [OPTIONS] erase"},
        {{"fuses"}, "usage: tovelisp-cli [OPTIONS] fuses read|program|verify"},
        {{"convert", "in.hex"}, "usage: tovelisp-cli [OPTIONS] convert IN OUT"},
        {{"--baud", "3", "info"}, "invalid value '3' for --baud"},
        {{"--baud=", "info"}, "invalid value '' for --baud"},
        {{"--port", "0", "info"}, "invalid value '0' for --port"},
        {{"--port", "COM9", "info"}, "invalid value 'COM9' for --port"},
        {{"--lang", "de", "info"}, "invalid value 'de' for --lang"},
        {{"--json=yes", "info"}, "invalid value 'yes' for --json"},
        {{"--device", "ATmega9", "info"}, "unknown device 'ATmega9' (see 'tovelisp-cli devices')"},
        {{"--device", "43", "info"}, "unknown device '43' (see 'tovelisp-cli devices')"},
        {{"--simulate=Z80", "info"}, "unknown device 'Z80' (see 'tovelisp-cli devices')"},
        {{"--yes", "--no", "erase"}, "options --yes and --no cannot be combined"},
        {{"--simulate", "--port", "/dev/ttyUSB0", "info"},
         "options --simulate and --port /dev/ttyUSB0 cannot be combined"},
        {{"erase", "--repeat"}, "option '--repeat' does not apply to 'erase'"},
        {{"--log", "x.csv", "signature"}, "option '--log' does not apply to 'signature'"},
        {{"info", "--reduced-speed"}, "option '--reduced-speed' does not apply to 'info'"},
        {{"--changed-only", "read", "eeprom", "e.eep"},
         "option '--changed-only' does not apply to 'read eeprom'"},
        {{"fuses", "program"},
         "'fuses program' takes the lock and fuse settings from a project: give --project FILE"},
        {{"--project", "a.tvl", "autoprogram", "b.tvl"}, "two projects given: 'a.tvl' and 'b.tvl'"},
    };
    for (const Case& c : cases) {
        const ParsedCommandLine p = parse(c.arguments);
        ASSERT_TRUE(p.error) << c.message;
        EXPECT_EQ(p.error->describe(Language::English), c.message);
    }
    EXPECT_EQ(parse({"frobnicate"}).error->describe(Language::Russian), "неизвестная команда «frobnicate»");
}

TEST(CliOptions, DevicesByNameOrRow) {
    EXPECT_EQ(deviceFromArgument("ATmega8"), 9);
    EXPECT_EQ(deviceFromArgument("atmega8"), 9);
    EXPECT_EQ(deviceFromArgument("9"), 9);
    EXPECT_EQ(deviceFromArgument("0"), 0);
    EXPECT_EQ(deviceFromArgument("-1"), -1);
    EXPECT_EQ(deviceFromArgument("9x"), -1);
    EXPECT_EQ(deviceFromArgument(""), -1);
}

} // namespace
} // namespace tovel::cli
