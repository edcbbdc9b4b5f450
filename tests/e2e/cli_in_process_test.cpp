// The command-line front end run in this process against the built-in simulated board: what a
// person sees and which exit status a script gets, for every command and every kind of failure.
#include <gtest/gtest.h>

#include <algorithm>

#include "e2e/cli_json_syntax.h"
#include "e2e/cli_test_support.h"

namespace tovel::test {
namespace {

class CliInProcess : public ::testing::Test {
protected:
    CliBench bench;
    std::string state = bench.file("chip.state");
};

TEST_F(CliInProcess, ProgramVerifyAndReadBackKeepTheChipBetweenRuns) {
    const std::string image = bench.example();
    (void)image;
    CliResult r = bench.run({"convert", bench.file("blink.hex"), bench.file("blink.bin")});
    ASSERT_EQ(r.exit, 0) << r.err;
    EXPECT_EQ(r.out, "Flash length: 184 (0xB8) bytes, Checksum = 0x4D15\n"
                     "Flash length: 184 (0xB8) bytes, Checksum = 0x4D15\n");

    r = bench.run({"--simulate-state", state, "program", "flash", bench.file("blink.hex")});
    ASSERT_EQ(r.exit, 0) << r.err;
    EXPECT_EQ(r.outLines().front(), "Flash length: 184 (0xB8) bytes, Checksum = 0x4D15");
    EXPECT_EQ(r.outLines().back(), "Flash program: Done (184 bytes programmed)");
    EXPECT_TRUE(r.outHas("Program: Programming Flash\n"));
    EXPECT_EQ(r.err, "");

    r = bench.run({"--simulate-state", state, "verify", "flash", bench.file("blink.bin")});
    ASSERT_EQ(r.exit, 0) << r.err;
    EXPECT_EQ(r.outLines().back(), "Flash verify: OK (184 bytes verified)");

    r = bench.run({"--simulate-state", state, "read", "flash", bench.file("back.bin")});
    ASSERT_EQ(r.exit, 0) << r.err;
    EXPECT_TRUE(r.outHas("Flash read: OK\n"));
    const std::string back = readFile(bench.file("back.bin"));
    ASSERT_EQ(back.size(), 8192u);
    EXPECT_EQ(back.substr(0, 184), readFile(bench.file("blink.bin")));
    EXPECT_EQ(back.substr(184), std::string(8192 - 184, '\xFF'));

    // One byte differs at 0x10: exit status 5 and the address, for people and for scripts.
    std::string other = readFile(bench.file("blink.bin"));
    other[0x10] = static_cast<char>(other[0x10] ^ 0x01);
    writeFile(bench.file("other.bin"), other);
    r = bench.run({"--simulate-state", state, "verify", "flash", bench.file("other.bin")});
    EXPECT_EQ(r.exit, 5);
    EXPECT_EQ(r.outLines().back(), "Flash verify: ERROR at byte 16 (0x10)");
    EXPECT_EQ(r.err, "tovelisp-cli: verify mismatch at byte 16 (0x10) (exit status 5)\n");
    r = bench.run({"--json", "--simulate-state", state, "verify", "flash", bench.file("other.bin")});
    EXPECT_EQ(r.exit, 5);
    EXPECT_EQ(r.err, "");
    const std::vector<std::string> lines = r.outLines();
    for (const std::string& line : lines) EXPECT_TRUE(JsonSyntax::valid(line)) << line;
    EXPECT_EQ(lines.back(),
              R"j({"type":"result","command":"verify flash","exit":5,"outcome":"verify-mismatch",)j"
              R"j("status":"Flash verify: ERROR at byte 16 (0x10)",)j"
              R"j("message":"verify mismatch at byte 16 (0x10)","firstMismatch":16})j");
}

TEST_F(CliInProcess, EraseAndBlankCheck) {
    bench.example();
    ASSERT_EQ(bench.run({"--simulate-state", state, "program", "flash", bench.file("blink.hex")}).exit, 0);
    CliResult r = bench.run({"--simulate-state", state, "blank-check"});
    EXPECT_EQ(r.exit, 6);
    EXPECT_EQ(r.outLines().back(), "Blank check: Flash is not empty");
    r = bench.run({"--simulate-state", state, "erase"});
    EXPECT_EQ(r.exit, 0) << r.err;
    EXPECT_TRUE(r.outHas("Chip erased; signature: 1E 93 07 - ATmega8\nDevice erased\n"));
    r = bench.run({"--simulate-state", state, "blank-check"});
    EXPECT_EQ(r.exit, 0) << r.err;
    EXPECT_EQ(r.outLines().back(), "Blank check: Flash is blank");
}

TEST_F(CliInProcess, AnotherChipInTheSocket) {
    const std::string project = bench.example(); // checks the signature before programming
    CliResult r =
        bench.run({"--simulate=ATmega16", "--project", project, "program", "flash", bench.file("blink.hex")});
    EXPECT_EQ(r.exit, 4);
    EXPECT_TRUE(
        r.errHas("Tovel/Tovel-U In-System Programmer 11.01: Device signature does not match your selection "
                 "or device is locked. Do you still want to program it? -> No\n"));
    EXPECT_EQ(r.outLines().back(), "Programming cancelled");

    r = bench.run(
        {"--yes", "--simulate=ATmega16", "--project", project, "program", "flash", bench.file("blink.hex")});
    EXPECT_EQ(r.exit, 0) << r.err;
    EXPECT_TRUE(r.errHas("-> Yes\n"));

    r = bench.run({"--simulate=ATmega16", "--device", "ATmega8", "signature"});
    EXPECT_EQ(r.exit, 4);
    EXPECT_EQ(r.outLines().back(), "Signature: 1E 94 03 - ATmega16");
    // Without a device named, the chip in the socket is the one chosen.
    r = bench.run({"--simulate=ATmega16", "signature"});
    EXPECT_EQ(r.exit, 0) << r.err;
    r = bench.run({"--simulate=none", "signature"});
    EXPECT_EQ(r.exit, 4);
    EXPECT_EQ(r.outLines().back(), "Signature: FF FF FF - Unknown device");
}

TEST_F(CliInProcess, NoBoardAndFileErrors) {
    CliResult r = bench.run({"erase"}); // no port in the settings file, none given
    EXPECT_EQ(r.exit, 3);
    EXPECT_EQ(r.out, "Erasing device\nSelect COM port or click 'search board'\n");
    EXPECT_EQ(r.err, "Tovel/Tovel-U Programmer: No board specified\n"
                     "tovelisp-cli: no board, or a connection error (exit status 3)\n");
    r = bench.run({"--port", bench.file("no-such-tty"), "info"});
    EXPECT_EQ(r.exit, 3);
    EXPECT_TRUE(r.errHas("Connection error: there is no port " + bench.file("no-such-tty") + ".\n"));

    r = bench.run({"--simulate", "program", "flash", bench.file("missing.hex")});
    EXPECT_EQ(r.exit, 7);
    EXPECT_TRUE(r.errHas("Cannot read file '" + bench.file("missing.hex") + "'"));
    r = bench.run({"--simulate", "--project", bench.file("missing.tvl"), "signature"});
    EXPECT_EQ(r.exit, 7);
    EXPECT_TRUE(r.errHas("Error reading project file"));
    r = bench.run({"--settings", bench.file("missing.ini"), "--simulate", "signature"});
    EXPECT_EQ(r.exit, 7);
    EXPECT_TRUE(r.errHas("cannot read the settings file"));
    r = bench.run({"--simulate", "read", "flash", bench.file("no-folder/out.hex")});
    EXPECT_EQ(r.exit, 7);
    EXPECT_TRUE(r.errHas("Cannot save file"));
}

TEST_F(CliInProcess, LockAndFuseBitsFromTheProject) {
    const std::string project = bench.example();
    CliResult r = bench.run({"--simulate-state", state, "fuses", "read"});
    ASSERT_EQ(r.exit, 0) << r.err;
    EXPECT_TRUE(r.outHas("Lock level 0: No\nFuse bytes (low, high, extended): 0xE1 0xD9\n"));
    EXPECT_TRUE(r.outHas("  SPIEN      programmed (0)\n"));

    r = bench.run({"--simulate-state", state, "--project", project, "fuses", "verify"});
    EXPECT_EQ(r.exit, 5);
    EXPECT_TRUE(r.errHas("Lock&Fuse bits verify: Failed"));

    r = bench.run({"--simulate-state", state, "--project", project, "fuses", "program"});
    EXPECT_EQ(r.exit, 0) << r.err;
    EXPECT_TRUE(r.errHas("Tovel/Tovel-U Programmer: Lock/fuse bits programmed\n"));
    r = bench.run({"--simulate-state", state, "--project", project, "fuses", "verify"});
    EXPECT_EQ(r.exit, 0) << r.err;
    EXPECT_TRUE(r.errHas("Lock&Fuse bits verify: OK"));
    r = bench.run({"--simulate-state", state, "--json", "fuses", "read"});
    EXPECT_TRUE(r.outHas(R"({"type":"fuse-bytes","values":[161,217]})"));

    // SPIEN unprogrammed would end serial programming: asked first, and No leaves the chip alone.
    CliBench::replaceInFile(project, "Fuse13=1", "Fuse13=0");
    r = bench.run({"--simulate-state", state, "--project", project, "fuses", "program"});
    EXPECT_EQ(r.exit, 8);
    EXPECT_TRUE(r.errHas("SPIEN unprogrammed: serial programming is switched off"));
    EXPECT_TRUE(r.errHas("-> No\n"));
    EXPECT_FALSE(r.outHas("Lock/fuse bits programmed"));
}

TEST_F(CliInProcess, AutoProgramTheExampleAsJson) {
    const std::string project = bench.example();
    const CliResult r = bench.run({"--json", "--simulate", "autoprogram", project});
    ASSERT_EQ(r.exit, 0) << r.out;
    const std::vector<std::string> lines = r.outLines();
    for (const std::string& line : lines) EXPECT_TRUE(JsonSyntax::valid(line)) << line;
    EXPECT_EQ(lines.front(), R"({"type":"status","text":"Autoprogram..."})");
    EXPECT_TRUE(
        r.outHas(R"({"type":"progress","title":"Program","text":"Programming Flash","percent":100})"));
    EXPECT_TRUE(r.outHas(
        R"j({"type":"status","text":"Autoprogram: DONE (184 Flash and 16 Eeprom bytes programmed)"})j"));
    EXPECT_TRUE(r.outHas(
        R"({"type":"box","caption":"Tovel/Tovel-U Programmer","text":"AUTOPROGRAM: OK","icon":"none"})"));
    EXPECT_EQ(lines.back(), R"j({"type":"result","command":"autoprogram","exit":0,"outcome":"ok",)j"
                            R"j("status":"Autoprogram: DONE (184 Flash and 16 Eeprom bytes programmed)",)j"
                            R"j("chips":1,"passed":1})j");
}

TEST_F(CliInProcess, RepeatLoopKeepsTheCounterAndSavesItWhenAsked) {
    const std::string project = bench.counterProject(0x000000FF);
    const CliResult r =
        bench.run({"--yes", "--simulate-state", state, "autoprogram", project, "--repeat"}, "\n\nq\n");
    ASSERT_EQ(r.exit, 0) << r.err;
    EXPECT_TRUE(r.errHas("Chip 1: insert it and press Enter (q and Enter to quit)\n"));
    EXPECT_TRUE(r.outHas("Chip 1: OK\n"));
    EXPECT_TRUE(r.outHas("Chip 2: OK\n"));
    EXPECT_FALSE(r.outHas("Chip 3"));
    EXPECT_TRUE(r.errHas("Chips: 2, OK: 2, failed: 0\n"));
    EXPECT_TRUE(r.errHas("The Eeprom serial-number counter is now 00000101. Save the buffer to '" +
                         bench.file("counter.bin") + "'? -> Yes\n"));
    // The carry went into the next byte; the file now starts the next session at 0x101.
    EXPECT_EQ(readBytes(bench.file("counter.bin")),
              (std::vector<std::uint8_t>{0x00, 0x00, 0x01, 0x01, 0xC0, 0xDE, 0x12, 0x34}));
}

TEST_F(CliInProcess, AStopRequestedBeforeTheSessionBeginsNothing) {
    StopRequest stop;
    stop.raise();
    cli::CliEnvironment environment;
    environment.stop = &stop;
    const CliResult r =
        bench.run({"--simulate=AT45DB642", "read", "flash", bench.file("out.hex")}, {}, environment);
    EXPECT_EQ(r.exit, 8);
    EXPECT_FALSE(r.outHas("Connection")) << r.out; // no session was opened
    EXPECT_TRUE(r.errHas("tovelisp-cli: cancelled (exit status 8)")) << r.err;
    EXPECT_FALSE(std::filesystem::exists(bench.file("out.hex")));
}

TEST_F(CliInProcess, CalibrationSaysReadingOnceConnected) {
    const CliResult r = bench.run({"--simulate", "calibration"});
    ASSERT_EQ(r.exit, 0) << r.err;
    const std::vector<std::string> lines = r.outLines();
    const auto accepted = std::find(lines.begin(), lines.end(), "Connection accepted");
    ASSERT_NE(accepted, lines.end()) << r.out;
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Reading calibration bytes..."), 1) << r.out;
    ASSERT_NE(accepted + 1, lines.end());
    EXPECT_EQ(*(accepted + 1), "Reading calibration bytes...") << r.out;
}

TEST_F(CliInProcess, DecliningToCutALargeImageIsACancel) {
    writeFile(bench.file("large.bin"), std::string(16384, '\x11')); // twice the ATmega8's Flash
    const CliResult r = bench.run({"--simulate", "program", "flash", bench.file("large.bin")});
    EXPECT_EQ(r.exit, 8) << r.out << r.err;
    EXPECT_TRUE(r.errHas("Warning: only first 8192 bytes Flash will be processed.")) << r.err;
    EXPECT_TRUE(r.outHas("Programming cancelled\n")) << r.out;
}

TEST_F(CliInProcess, FirmwareUpdateWaitsForThePowerCycle) {
    writeFile(bench.file("firmware.bin"), std::string(12288, '\x5A'));
    CliResult r = bench.run({"--simulate", "update-firmware", bench.file("firmware.bin")}, "q\n");
    EXPECT_EQ(r.exit, 8);
    EXPECT_TRUE(r.errHas("Switch the board's power off and on, then press Enter (q and Enter to cancel)\n"));
    r = bench.run({"--simulate", "update-firmware", bench.file("firmware.bin")}, "\n");
    EXPECT_EQ(r.exit, 0) << r.err;
    EXPECT_TRUE(r.outHas("Version successfully updated\n"));
    r = bench.run({"--simulate", "update-firmware", bench.file("none.bin")});
    EXPECT_EQ(r.exit, 7);
}

TEST_F(CliInProcess, CommandsADeviceDoesNotHaveAreUsageErrors) {
    CliResult r = bench.run({"--simulate", "--device", "AT89S51", "calibration"});
    EXPECT_EQ(r.exit, 2);
    EXPECT_EQ(r.err, "tovelisp-cli: 'calibration' is not available for the AT89S51 (exit status 2)\n");
    r = bench.run({"--simulate", "--device", "AT45DB041", "read", "eeprom", bench.file("x.bin")});
    EXPECT_EQ(r.exit, 2);
    r = bench.run({"--simulate", "--device", "AT25256", "erase"});
    EXPECT_EQ(r.exit, 2);
    r = bench.run({"--simulate", "--device", "AT45DB041", "autoprogram"});
    EXPECT_EQ(r.exit, 2);
}

TEST_F(CliInProcess, RussianThroughout) {
    const CliResult r = bench.run({"--lang", "ru", "erase"});
    EXPECT_EQ(r.exit, 3);
    EXPECT_EQ(r.out, "Стирание микросхемы\nВыберите COM-порт или нажмите «Поиск платы»\n");
    EXPECT_EQ(r.err, "Программатор Tovel/Tovel-U: Плата не указана\n"
                     "tovelisp-cli: нет платы или ошибка соединения (код завершения 3)\n");
}

TEST_F(CliInProcess, ConvertReadsAsTheBuffersDo) {
    writeFile(bench.file("odd.bin"), std::vector<std::uint8_t>{1, 2, 3});
    ASSERT_EQ(bench.run({"convert", bench.file("odd.bin"), bench.file("odd.eep")}).exit, 0);
    ASSERT_EQ(bench.run({"convert", bench.file("odd.eep"), bench.file("back.bin")}).exit, 0);
    EXPECT_EQ(readBytes(bench.file("back.bin")),
              (std::vector<std::uint8_t>{1, 2, 3})); // EEPROM keeps odd sizes
    ASSERT_EQ(bench.run({"convert", bench.file("odd.bin"), bench.file("odd.hex")}).exit, 0);
    ASSERT_EQ(bench.run({"convert", bench.file("odd.hex"), bench.file("flash.bin")}).exit, 0);
    EXPECT_EQ(readBytes(bench.file("flash.bin")),
              (std::vector<std::uint8_t>{1, 2, 3, 0xFF})); // Flash: whole words
    EXPECT_EQ(readFile(bench.file("odd.eep")), ":03000000010203F7\r\n:00000001FF\r\n");
    EXPECT_EQ(bench.run({"convert", bench.file("none.hex"), bench.file("x.bin")}).exit, 7);
}

} // namespace
} // namespace tovel::test
