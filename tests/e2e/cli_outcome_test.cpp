// What a failure comes to for a script: every kind of failure exits with its own status, and the
// same status in English and in Russian. The exit status comes from the operation's outcome, so
// the wording of the catalogue (here: all of it at once, by switching the language) cannot move it.
#include <gtest/gtest.h>

#include <map>

#include "e2e/cli_test_support.h"

namespace tovel::test {
namespace {

// The files a row may name: "{hex}" the example's Flash image, "{tvl}" its project (signature
// check on), "{small}" 256 bytes, "{large}" 2 KiB (more than an ATtiny12 holds), "{missing}" none,
// "{state}" a chip that holds the example's Flash.
struct FailureRow {
    const char* name;
    std::vector<std::string> arguments;
    int exit;
};

const FailureRow kFailures[] = {
    {"NoPortChosen", {"info"}, 3},
    {"PortCannotBeOpened", {"--port", "/dev/null/no-board", "info"}, 3},
    {"BoardSilent", {"--simulate", "--simulate-with", "--fault silence", "info"}, 3},
    {"AnotherChipNamed", {"--device", "ATmega8", "--simulate=ATtiny2313", "signature"}, 4},
    {"LockedChipRead", {"--simulate=ATmega8", "--simulate-with", "--locked", "signature"}, 4},
    {"ChipStaysLocked", {"--simulate=ATmega8", "--simulate-with", "--locked --stay-locked", "erase"}, 4},
    {"DataFlashNotDetected", {"--device", "AT45DB041", "--simulate=AT45DB081", "signature"}, 4},
    {"AnotherChipDeclined",
     {"--project", "{tvl}", "--simulate=ATmega16", "--no", "program", "flash", "{hex}"},
     4},
    {"LockedChipNotErased",
     {"--project", "{tvl}", "--simulate=ATmega8", "--simulate-with", "--locked", "--no", "program", "flash",
      "{hex}"},
     4},
    {"VerifyMismatch", {"--simulate=ATmega8", "verify", "flash", "{hex}"}, 5},
    {"LockFuseMismatch", {"--project", "{tvl}", "--simulate=ATmega8", "fuses", "verify"}, 5},
    {"NotBlank", {"--simulate-state", "{state}", "blank-check"}, 6},
    {"ImageMissing", {"--simulate=ATmega8", "program", "flash", "{missing}"}, 7},
    {"ConvertMissing", {"convert", "{missing}", "{small}"}, 7},
    {"ImageNotCut", {"--simulate=ATtiny12", "--no", "program", "flash", "{large}"}, 8},
    {"PollingFailed",
     {"--simulate=ATtiny12", "--simulate-with", "--fault polling", "program", "flash", "{small}"},
     1},
    {"LinkLostWhileProgramming",
     {"--simulate=ATmega8", "--simulate-with", "--fault drop,nth=20", "program", "flash", "{hex}"},
     3},
    {"LinkLostInAutoProgram",
     {"--simulate=ATmega8", "--yes", "--simulate-with", "--fault drop,nth=30", "autoprogram", "{tvl}"},
     3},
    // The window says DONE; the chip's lock and fuse bits were refused all the same.
    {"LockFuseRefusedInAutoProgram",
     {"--simulate=ATmega8", "--yes", "--simulate-with", "--fault replace,cmd=4,bytes=0x00,nth=5",
      "autoprogram", "{tvl}"},
     1},
};

void PrintTo(const FailureRow& row, std::ostream* out) { *out << row.name; }

class CliFailureKinds : public ::testing::TestWithParam<FailureRow> {
protected:
    std::vector<std::string> argumentsOf(const FailureRow& row) {
        const std::string project = bench.example();
        writeFile(bench.file("small.bin"), std::vector<std::uint8_t>(256, 0x5A));
        writeFile(bench.file("large.bin"), std::vector<std::uint8_t>(2048, 0xA5));
        const std::string state = bench.file("chip.state");
        if (row.name == std::string("NotBlank")) {
            const CliResult programmed =
                bench.run({"--simulate-state", state, "program", "flash", bench.file("blink.hex")});
            EXPECT_EQ(programmed.exit, 0);
        }
        const std::map<std::string, std::string> files = {
            {"{hex}", bench.file("blink.hex")},       {"{tvl}", project},
            {"{small}", bench.file("small.bin")},     {"{large}", bench.file("large.bin")},
            {"{missing}", bench.file("missing.hex")}, {"{state}", state}};
        std::vector<std::string> arguments;
        for (const std::string& argument : row.arguments) {
            const auto file = files.find(argument);
            arguments.push_back(file != files.end() ? file->second : argument);
        }
        return arguments;
    }

    CliBench bench;
};

TEST_P(CliFailureKinds, ExitAlikeInEnglishAndRussian) {
    const FailureRow& row = GetParam();
    const std::vector<std::string> arguments = argumentsOf(row);
    for (const char* language : {"en", "ru"}) {
        std::vector<std::string> run{"--lang", language};
        run.insert(run.end(), arguments.begin(), arguments.end());
        const CliResult r = bench.run(run);
        EXPECT_EQ(r.exit, row.exit) << language << "\n" << r.out << r.err;
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, CliFailureKinds, ::testing::ValuesIn(kFailures),
                         [](const ::testing::TestParamInfo<FailureRow>& row) { return row.param.name; });

// A Flash programming run that failed after the signature check had passed once read as a
// success: the check's result stood in for the run's. The run's own outcome decides now.
TEST(CliFailedRuns, AFailedProgrammingAfterAPassingSignatureCheckFails) {
    CliBench bench;
    const std::string project = bench.example();
    const CliResult r = bench.run({"--project", project, "--simulate=ATmega8", "--simulate-with",
                                   "--fault drop,nth=12", "program", "flash", bench.file("blink.hex")});
    EXPECT_EQ(r.outLines().back(), "Flash program: ERROR");
    EXPECT_EQ(r.exit, 3) << r.err;
}

TEST(CliFailedRuns, AutoProgramStopsAtAFailedFlashProgramming) {
    CliBench bench;
    const std::string project = bench.example();
    const CliResult r = bench.run(
        {"--simulate=ATmega8", "--yes", "--simulate-with", "--fault drop,nth=40", "autoprogram", project});
    EXPECT_TRUE(r.outHas("Flash program: ERROR\nAutoprogram: ERROR programming Flash\n")) << r.out;
    EXPECT_FALSE(r.outHas("Verifying Flash")); // no step runs on after a failed one
    EXPECT_TRUE(r.errHas("AUTOPROGRAM: Error"));
    EXPECT_EQ(r.exit, 3);
}

} // namespace
} // namespace tovel::test
