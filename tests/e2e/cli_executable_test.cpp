// tovelisp-cli as a script or a production line runs it: the built executable in its own process,
// against the built-in simulated board or tovel-sim on a pseudo-terminal. Output, exit status,
// JSON lines, Ctrl-C, the production loop with its CSV log, and usage errors.
#include <gtest/gtest.h>

#include <chrono>
#include <sstream>

#include "e2e/cli_child_process.h"
#include "e2e/cli_json_syntax.h"
#include "e2e/cli_test_support.h"

namespace tovel::test {
namespace {

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

class CliExecutable : public ::testing::Test {
protected:
    // tovelisp-cli with the scratch settings file; `input` is its whole standard input.
    CliResult run(std::vector<std::string> arguments, const std::string& input = {}) {
        arguments.insert(arguments.begin(), {TOVEL_CLI_PATH, "--settings", bench.settings()});
        ChildProcess child(arguments);
        child.write(input);
        CliResult result;
        result.exit = child.wait();
        result.out = child.out;
        result.err = child.err;
        return result;
    }

    CliBench bench;
    std::string state = bench.file("chip.state");
};

TEST_F(CliExecutable, EveryCommandOnTheSimulatedBoard) {
    bench.example();
    struct Case {
        std::vector<std::string> arguments;
        std::string lastLine;
    };
    const Case cases[] = {
        {{"--version"}, "tovelisp-cli 0.1.0"},
        {{"devices"}, "42  AT45DB642        AT45...      8388608       0  1056  3C 3C 00"},
        {{"--simulate", "info"}, "Tovel-U 10.01 (simulated) (Serial number 54 56 00 10 01)"},
        {{"--simulate", "search"}, "Tovel-U 10.01 (simulated) on COM1"},
        {{"--simulate", "signature"}, "Signature: 1E 93 07 - ATmega8"},
        {{"--simulate", "calibration"}, "Calibration bytes: A6 AB AF B3"},
        {{"--simulate-state", state, "program", "flash", bench.file("blink.hex")},
         "Flash program: Done (184 bytes programmed)"},
        {{"--simulate-state", state, "program", "eeprom", bench.file("blink.eep")},
         "Eeprom program: Done (16 bytes programmed)"},
        {{"--simulate-state", state, "verify", "eeprom", bench.file("blink.eep")},
         "Eeprom verify: OK (16 bytes verified)"},
        {{"--simulate-state", state, "read", "eeprom", bench.file("back.eep")},
         "Eeprom length: 512 (0x200) bytes, Checksum = 0xF730"},
        {{"--simulate-state", state, "erase"}, "Device erased"},
        {{"--simulate-state", state, "blank-check"}, "Blank check: Flash is blank"},
        {{"--simulate", "fuses", "read"}, "  RSTDISBL   unprogrammed (1)"},
    };
    for (const Case& c : cases) {
        const CliResult r = run(c.arguments);
        EXPECT_EQ(r.exit, 0) << c.lastLine << "\n" << r.err;
        ASSERT_FALSE(r.outLines().empty()) << c.lastLine;
        EXPECT_EQ(r.outLines().back(), c.lastLine);
    }
    // The EEPROM read back starts with the image programmed.
    const std::string eep = readFile(bench.file("blink.eep"));
    EXPECT_EQ(readFile(bench.file("back.eep")).substr(0, eep.find('\n')), eep.substr(0, eep.find('\n')));

    const CliResult help = run({"--help"});
    EXPECT_EQ(help.exit, 0);
    EXPECT_NE(help.out.find("Exit status:\n  0  success\n"), std::string::npos);
    EXPECT_NE(help.out.find("lock/fuse selection stored in the\nproject"), std::string::npos);
    EXPECT_EQ(linesOf(run({"devices"}).out).size(), 44u);
    EXPECT_EQ(run({"ports"}).exit, 0);
}

TEST_F(CliExecutable, JsonLinesParseForScripts) {
    const std::vector<std::vector<std::string>> runs = {
        {"--json", "devices"},
        {"--json", "ports"},
        {"--json", "--simulate", "--lang", "ru", "signature"},
        {"--json", "erase"}, // no board: a box, a failure result
        {"--json", "--simulate", "program", "flash", bench.file("missing.hex")},
        {"--json", "--bogus"},
    };
    for (const std::vector<std::string>& arguments : runs) {
        const CliResult r = run(arguments);
        const std::vector<std::string> lines = linesOf(r.out);
        ASSERT_FALSE(lines.empty()) << arguments.back();
        for (const std::string& line : lines) EXPECT_TRUE(JsonSyntax::valid(line)) << line;
        EXPECT_EQ(lines.back().rfind(R"({"type":"result",)", 0), 0u) << lines.back();
        EXPECT_NE(lines.back().find("\"exit\":" + std::to_string(r.exit) + ","), std::string::npos)
            << lines.back();
    }
    const CliResult ru = run({"--json", "--simulate", "--lang", "ru", "signature"});
    EXPECT_NE(ru.out.find(R"({"type":"status","text":"Чтение сигнатуры"})"), std::string::npos) << ru.out;
}

TEST_F(CliExecutable, CtrlCCancelsALongReadLikeTheCancelButton) {
    // 128 KiB at 19200 baud with the line's real timing: over a minute unless cancelled.
    ChildProcess simulator({TOVEL_SIM_PATH, "--device", "ATmega128", "--timing"});
    ASSERT_TRUE(simulator.waitForOutput("\n", 5000)) << simulator.err;
    const std::string port = linesOf(simulator.out).front();

    ChildProcess cli({TOVEL_CLI_PATH, "--settings", bench.settings(), "--port", port, "--baud", "0",
                      "--device", "ATmega128", "read", "flash", bench.file("big.hex")});
    ASSERT_TRUE(cli.waitForOutput("Read: Reading Flash\n", 10000)) << cli.out << cli.err;
    const auto pressed = std::chrono::steady_clock::now();
    cli.signal(SIGINT);
    const int exit = cli.wait(10000);
    const auto took = std::chrono::steady_clock::now() - pressed;
    EXPECT_EQ(exit, 8) << cli.out << cli.err;
    EXPECT_NE(cli.out.find("Flash read cancelled\n"), std::string::npos) << cli.out;
    EXPECT_NE(cli.err.find("tovelisp-cli: cancelled (exit status 8)"), std::string::npos) << cli.err;
    EXPECT_LT(took, std::chrono::seconds(4));
    EXPECT_FALSE(std::filesystem::exists(bench.file("big.hex")));

    // A second Ctrl-C: signal_e2e_test.cpp.
    simulator.signal(SIGTERM);
    EXPECT_EQ(simulator.wait(5000), 0);
}

TEST_F(CliExecutable, ProductionLoopCountsChipsAndLogsThem) {
    // The second chip's EEPROM reads back wrong: it fails its verify, keeps its number unused, and
    // the loop goes on with the next chip.
    ChildProcess simulator({TOVEL_SIM_PATH, "--state", state, "--fault", "corrupt,cmd=<,nth=2"});
    ASSERT_TRUE(simulator.waitForOutput("\n", 5000)) << simulator.err;
    const std::string port = linesOf(simulator.out).front();
    const std::string project = bench.counterProject(1);
    const std::string log = bench.file("chips.csv");
    const CliResult r = run({"--port", port, "--log", log, "autoprogram", project, "--repeat"}, "\n\n\nq\n");
    EXPECT_EQ(r.exit, 5) << r.err;
    EXPECT_NE(r.out.find("Chip 1: OK\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Chip 2: verify mismatch (exit status 5)\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Chip 3: OK\n"), std::string::npos) << r.out;
    EXPECT_NE(r.err.find("Chip 4: insert it and press Enter (q and Enter to quit)\n"), std::string::npos);
    EXPECT_NE(r.err.find("Chips: 3, OK: 2, failed: 1\n"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("counter is now 00000003. Save the buffer to '" + bench.file("counter.bin") +
                         "'? -> No\n"),
              std::string::npos)
        << r.err;

    const std::vector<std::string> lines = linesOf(readFile(log));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "time,device,flash_counter,eeprom_counter,result,exit_status");
    const std::string expected[] = {",ATmega8,,00000001,Autoprogram: DONE (8 Eeprom bytes programmed),0",
                                    ",ATmega8,,00000002,Autoprogram: ERROR verifying Eeprom,5",
                                    ",ATmega8,,00000002,Autoprogram: DONE (8 Eeprom bytes programmed),0"};
    for (std::size_t chip = 1; chip <= 3; ++chip) {
        const std::string& line = lines[chip];
        EXPECT_EQ(line.substr(line.find(',')), expected[chip - 1]) << line;
        EXPECT_EQ(line.substr(4, 1) + line.substr(10, 1), "-T") << line; // 2026-12-07T06:00:00+0000
    }
    // The file was not saved (No is the default answer); the last chip holds number 2.
    EXPECT_EQ(readBytes(bench.file("counter.bin"))[3], 1);
    simulator.signal(SIGTERM);
    ASSERT_EQ(simulator.wait(5000), 0);
    const CliResult back = run({"--simulate-state", state, "read", "eeprom", bench.file("chip.bin")});
    ASSERT_EQ(back.exit, 0) << back.err;
    EXPECT_EQ(readBytes(bench.file("chip.bin"))[3], 2);
}

TEST_F(CliExecutable, ALockedChipIsAWrongChip) {
    ChildProcess simulator({TOVEL_SIM_PATH, "--locked"});
    ASSERT_TRUE(simulator.waitForOutput("\n", 5000)) << simulator.err;
    const std::string port = linesOf(simulator.out).front();
    const CliResult r = run({"--port", port, "signature"});
    EXPECT_EQ(r.exit, 4) << r.out << r.err;
    EXPECT_EQ(r.outLines().back(), "Device is locked");
    simulator.signal(SIGTERM);
    simulator.wait(5000);
}

TEST_F(CliExecutable, UsageErrorsGoToStandardErrorWithStatus2) {
    const std::vector<std::vector<std::string>> lines = {
        {}, {"frobnicate"}, {"read", "flash"}, {"--baud", "7", "info"}, {"erase", "--repeat"}, {"--device"}};
    for (const std::vector<std::string>& arguments : lines) {
        const CliResult r = run(arguments);
        EXPECT_EQ(r.exit, 2) << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err.rfind("tovelisp-cli: ", 0), 0u) << r.err;
        EXPECT_NE(r.err.find("\nTry 'tovelisp-cli --help'.\n"), std::string::npos) << r.err;
    }
}

} // namespace
} // namespace tovel::test
