// Ctrl-C, SIGTERM and SIGHUP as the person (or the system) sends them to the command line in the
// middle of real work: the built executable against the simulated board on a pseudo-terminal,
// with the line's real timing. Whatever the operation and the speed, the run ends with exit
// status 8 soon after the signal, the board is left out of programming mode at 19200 baud (the
// next session at 19200 finds it), and the run's temporary folder is gone.
//
// Not every signal at every speed in every operation: each signal, each speed and each kind of
// wait (a pause of the board protocol, a pause between chunks, a page write, a read, a verify)
// comes at least once, which keeps the suite within its time.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>

#include <sys/stat.h>

#include "e2e/cli_child_process.h"
#include "sim/pty_board_host.h"
#include "unit/image_test_files.h"

namespace tovel::test {
namespace {

using Steady = std::chrono::steady_clock;
using std::chrono::milliseconds;

long long msSince(Steady::time_point start) {
    return std::chrono::duration_cast<milliseconds>(Steady::now() - start).count();
}

class SignalE2E : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directory(temporary);
        // The child inherits it: its temporary folder goes where the test can look.
        ::setenv("TMPDIR", temporary.c_str(), 1);
        writeFile(settings, "");
    }
    void TearDown() override { ::unsetenv("TMPDIR"); }

    // The board on its pseudo-terminal, the line timed as a real one.
    sim::PtyBoardHost& board(const std::string& device) {
        sim::SimOptions options;
        options.device = device;
        options.timing.enabled = true;
        host = std::make_unique<sim::PtyBoardHost>(options);
        EXPECT_TRUE(host->ok()) << host->error();
        return *host;
    }

    std::vector<std::string> cli(std::vector<std::string> arguments) const {
        arguments.insert(arguments.begin(),
                         {TOVEL_CLI_PATH, "--settings", settings, "--port", host->slavePath()});
        return arguments;
    }

    struct Stopped {
        int exit = -1;
        long long msAfterSignal = -1;
        std::string out;
        std::string err;
    };
    // Runs the command line, waits until it has printed `when`, sends `signals` (20 ms apart) and
    // waits for its end.
    Stopped stop(const std::vector<std::string>& arguments, const std::string& when,
                 std::vector<int> signals) {
        ChildProcess child(cli(arguments));
        Stopped result;
        const bool reached = child.waitForOutput(when, 15000);
        EXPECT_TRUE(reached) << child.out << child.err;
        if (reached) {
            for (std::size_t k = 0; k < signals.size(); ++k) {
                if (k > 0) ::usleep(20000); // two signals sent at once may arrive as one
                child.signal(signals[k]);
            }
        }
        const Steady::time_point signalled = Steady::now();
        result.exit = child.wait(15000);
        result.msAfterSignal = msSince(signalled);
        result.out = child.out;
        result.err = child.err;
        return result;
    }

    // The board as the next command finds it: idle, out of programming mode, at 19200 baud,
    // answering a session at that speed; and no temporary folder left behind.
    void expectBoardLeftClean(const std::string& what) {
        ASSERT_TRUE(host->waitIdle(2000)) << what;
        EXPECT_FALSE(host->inProgrammingMode()) << what;
        EXPECT_EQ(host->boardBaud(), 19200) << what;
        ChildProcess probe(cli({"--baud", "0", "info"}));
        EXPECT_EQ(probe.wait(10000), 0) << what << "\n" << probe.out << probe.err;
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temporary), {}), 0) << what;
    }

    ScratchFolder folder;
    std::string temporary = folder.file("tmp");
    std::string settings = folder.file("settings.ini");
    std::unique_ptr<sim::PtyBoardHost> host;
};

TEST_F(SignalE2E, EachSignalInEachKindOfWaitEndsTheSessionCleanly) {
    board("ATmega128");
    // 64 KiB to write, compare and read: far longer than any of these runs may take.
    std::vector<std::uint8_t> image(65536);
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 13 + 1);
    writeFile(folder.file("image.bin"), image);
    struct Case {
        const char* what;
        std::vector<std::string> arguments;
        const char* when;
        int signal;
        const char* settingsText = "";
    };
    const std::string image_ = folder.file("image.bin");
    const Case cases[] = {
        {"page writes at 19200",
         {"--baud", "0", "--device", "ATmega128", "program", "flash", image_},
         "Program: Programming Flash\n",
         SIGINT},
        {"verify at 115200",
         {"--baud", "1", "--device", "ATmega128", "verify", "flash", image_},
         "Verify: Verifying Flash\n",
         SIGTERM},
        {"read at 921600",
         {"--baud", "2", "--device", "ATmega128", "read", "flash", folder.file("out.hex")},
         "Read: Reading Flash\n",
         SIGHUP},
        // A pause of 1000 ms after every 64 bytes read (the most the settings dialog allows).
        {"a pause between chunks at 921600",
         {"--baud", "2", "--device", "ATmega128", "read", "flash", folder.file("out.hex")},
         "Read: Reading Flash\n",
         SIGTERM,
         "[Connect]\nSpecial2=1000\n"},
    };
    for (const Case& c : cases) {
        writeFile(settings, c.settingsText);
        const Stopped r = stop(c.arguments, c.when, {c.signal});
        writeFile(settings, "");
        EXPECT_EQ(r.exit, 8) << c.what << "\n" << r.out << r.err;
        EXPECT_NE(r.err.find("tovelisp-cli: cancelled (exit status 8)"), std::string::npos)
            << c.what << r.err;
        EXPECT_EQ(r.err.find("Connection error"), std::string::npos) << c.what << r.err;
        // The waits end within 100 ms; the proper end of the session takes its two 150 ms pauses.
        EXPECT_LT(r.msAfterSignal, 1000) << c.what;
        EXPECT_FALSE(std::filesystem::exists(folder.file("out.hex"))) << c.what;
        expectBoardLeftClean(c.what);
    }
}

TEST_F(SignalE2E, ALongResetStrobeEndsAtTheFirstSignal) {
    board("ATmega8");
    // The longest strobe a project may hold; a longer one is replaced, with a warning naming the key.
    writeFile(folder.file("long.tvl"), "[Files]\nFlash=[Unspecified]\nEeprom=[Unspecified]\n"
                                       "[Settings]\nResetStrobeLength=1000\n[Device]\nDeviceNo=9\n");
    const Stopped r = stop({"--baud", "1", "--project", folder.file("long.tvl"), "erase"},
                           "Reset strobe... (1000 ms)\n", {SIGTERM});
    EXPECT_EQ(r.exit, 8) << r.out << r.err;
    // Cut at once: the session's proper end (two 150 ms pauses) instead of the rest of the strobe.
    EXPECT_LT(r.msAfterSignal, 800);
    EXPECT_EQ(r.out.find("Device erased"), std::string::npos) << r.out;
    expectBoardLeftClean("reset strobe");

    writeFile(folder.file("weeks.tvl"), "[Files]\nFlash=[Unspecified]\nEeprom=[Unspecified]\n"
                                        "[Settings]\nResetStrobeLength=2000000000\n[Device]\nDeviceNo=9\n");
    ChildProcess weeks(cli({"--project", folder.file("weeks.tvl"), "signature"}));
    EXPECT_EQ(weeks.wait(10000), 0) << weeks.err;
    EXPECT_NE(weeks.err.find("Warning: 2000000000 is not a value for 'ResetStrobeLength'"), std::string::npos)
        << weeks.err;
    EXPECT_NE(weeks.out.find("Reset strobe... (20 ms)\n"), std::string::npos) << weeks.out;
}

TEST_F(SignalE2E, ASecondSignalEndsTheRunBrisklyAndStillFreesTheBoard) {
    board("ATmega128");
    const Stopped r = stop({"--baud", "2", "--device", "ATmega128", "read", "flash", folder.file("out.hex")},
                           "Read: Reading Flash\n", {SIGINT, SIGINT});
    EXPECT_EQ(r.exit, 8) << r.out << r.err;
    EXPECT_LT(r.msAfterSignal, 300 + 100); // the second came 20 ms after the first; some slack for load
    expectBoardLeftClean("second signal");
}

TEST_F(SignalE2E, FoldersOfKilledRunsGoAtTheNextStartAndAMissingTemporaryFolderIsNamed) {
    board("ATmega8");
    // A run that was killed (its process is gone) and one still going (this test's own process).
    pid_t gone = 400000;
    while (::kill(gone, 0) == 0 || errno != ESRCH) ++gone;
    const std::string stale = temporary + "/tovelisp-cli." + std::to_string(gone) + ".AbCdEf";
    const std::string alive = temporary + "/tovelisp-cli." + std::to_string(::getpid()) + ".GhIjKl";
    for (const std::string& path : {stale, alive}) {
        std::filesystem::create_directory(path);
        writeFile(path + "/tovelisp.ini", "");
    }
    ChildProcess run(cli({"--baud", "0", "info"}));
    EXPECT_EQ(run.wait(10000), 0) << run.err;
    EXPECT_FALSE(std::filesystem::exists(stale));
    EXPECT_TRUE(std::filesystem::exists(alive));
    std::filesystem::remove_all(alive);

    ::setenv("TMPDIR", "/nonexistent", 1);
    ChildProcess nowhere(cli({"info"}));
    EXPECT_EQ(nowhere.wait(10000), 7);
    EXPECT_NE(nowhere.err.find("cannot create a temporary folder in '/nonexistent'"), std::string::npos)
        << nowhere.err;
    EXPECT_EQ(nowhere.err.find("settings file"), std::string::npos) << nowhere.err;
}

TEST_F(SignalE2E, AFifoAsImageFileIsRefusedAtOnce) {
    board("ATmega8");
    const std::string fifo = folder.file("image.hex");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const Steady::time_point start = Steady::now();
    ChildProcess run(cli({"program", "flash", fifo}));
    EXPECT_EQ(run.wait(10000), 7) << run.out << run.err;
    EXPECT_LT(msSince(start), 3000);
    EXPECT_NE(run.err.find("Cannot read file '" + fifo + "': it is not a regular file"), std::string::npos)
        << run.err;
    EXPECT_FALSE(host->inProgrammingMode());
}

} // namespace
} // namespace tovel::test
