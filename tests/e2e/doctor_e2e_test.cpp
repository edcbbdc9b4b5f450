// The connection doctor end to end: tovelisp-cli doctor against the simulated board on a pty,
// one fault at a time, each run checked for the cause and the fix it names; and the port errors
// of an ordinary command.
#include <gtest/gtest.h>

#include <grp.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <fcntl.h>
#include <unistd.h>

#include "e2e/cli_test_support.h"
#include "sim/pty_board_host.h"
#include "sim/trace_replay.h"
#include "support/fake_system_tree.h"

using namespace tovel;
using tovel::test::CliResult;

namespace {

// The doctor's line for check `name` ("fail: chip: ..."), or empty.
std::string checkLine(const CliResult& result, const std::string& name) {
    for (const std::string& line : result.outLines()) {
        const std::size_t colon = line.find(": ");
        if (colon != std::string::npos && line.compare(colon + 2, name.size() + 1, name + ":") == 0)
            return line;
    }
    return {};
}

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class DoctorE2e : public ::testing::Test {
protected:
    CliResult doctor(std::vector<std::string> arguments) {
        arguments.push_back("doctor");
        return bench.run(arguments);
    }
    test::CliBench bench;
};

} // namespace

TEST_F(DoctorE2e, AWorkingBoardPassesEveryRungAndRecommendsTheFastestSpeed) {
    const CliResult r = doctor({"--simulate"});
    EXPECT_EQ(r.exit, 0) << r.out << r.err;
    std::vector<std::string> names;
    for (const std::string& line : r.outLines()) {
        EXPECT_EQ(line.rfind("ok: ", 0), 0u) << line;
        names.push_back(line.substr(4, line.find(':', 4) - 4));
    }
    EXPECT_EQ(names, (std::vector<std::string>{"port", "access", "other programs", "open", "board",
                                               "firmware", "link speed", "chip", "summary"}));
    EXPECT_TRUE(
        has(checkLine(r, "firmware"), "version M01, Tovel-U 10.01 (simulated), serial number 5456001001"));
    EXPECT_TRUE(has(checkLine(r, "link speed"), "921600 baud works"));
    EXPECT_TRUE(has(checkLine(r, "chip"), "ATmega8 (signature 1E 93 07)"));
    EXPECT_TRUE(has(checkLine(r, "summary"), "use 921600 baud"));
}

TEST_F(DoctorE2e, ChipFaultsNameTheirCause) {
    struct Case {
        std::vector<std::string> options;
        int exit;
        const char* finding;
        const char* advice;
    };
    const Case cases[] = {
        {{"--simulate", "--simulate-with", "--no-target-power"},
         4,
         "signature 00 00 00: nothing answers",
         "Check the target's power"},
        {{"--simulate=none", "--device", "ATmega8"},
         4,
         "signature FF FF FF: MISO stays high",
         "a chip sits in the socket"},
        {{"--simulate", "--simulate-with", "--miso-open"}, 4, "MISO stays high", "the wiring (MISO"},
        {{"--simulate", "--simulate-with", "--reset-open"}, 4, "MISO stays high", "RESET"},
        {{"--simulate", "--simulate-with", "--locked"},
         4,
         "the chip is locked",
         "Erase the chip to unlock it"},
        {{"--simulate=ATmega16", "--device", "ATmega8"},
         4,
         "another chip answers: ATmega16 (signature 1E 94 03)",
         "choose ATmega16 (--device ATmega16)"},
        // The project's period is 4 us; the chip follows 8 us and slower: 8 us is the one to use.
        {{"--simulate", "--simulate-with", "--slow-chip-clock 8000"},
         0,
         "reads agree only at SCK period 8 uS",
         "choose the SCK period 8 uS (125 kHz)"},
    };
    for (const Case& c : cases) {
        const CliResult r = doctor(c.options);
        const std::string chip = checkLine(r, "chip");
        EXPECT_EQ(r.exit, c.exit) << c.options.back() << "\n" << r.out << r.err;
        EXPECT_TRUE(has(chip, c.finding)) << chip;
        EXPECT_TRUE(has(chip, c.advice)) << chip;
        EXPECT_TRUE(has(checkLine(r, "summary"), c.advice)) << r.out;
    }
}

// AT45 and AT25 parts carry no signature: the findings name the status byte and the write-enable
// round trip that were actually read, never a "signature".
TEST_F(DoctorE2e, SerialMemoriesAreNamedByWhatWasRead) {
    struct Case {
        std::vector<std::string> options;
        int exit;
        const char* finding;
    };
    const Case cases[] = {
        {{"--simulate=AT45DB041"}, 0, "ok: chip: AT45DB041 (status byte 9C: its density code)"},
        {{"--simulate=AT45DB081", "--device", "AT45DB041"},
         4,
         "fail: chip: another DataFlash answers: AT45DB081 (status byte A4) — Put the chip the project "
         "names in the socket, or choose AT45DB081"},
        {{"--simulate=AT25256"},
         0,
         "ok: chip: AT25256 (write enable sets the latch in the status register: 02) at SCK period"},
        {{"--simulate=none", "--device", "AT25256"}, 4, "fail: chip: status byte FF: MISO stays high"},
        {{"--simulate=AT25256", "--simulate-with", "--no-target-power"},
         4,
         "fail: chip: status byte 00: nothing answers"},
        {{"--simulate=AT45DB041", "--simulate-with", "--no-target-power"},
         4,
         "fail: chip: status byte 00: nothing answers"},
    };
    for (const Case& c : cases) {
        const CliResult r = doctor(c.options);
        const std::string chip = checkLine(r, "chip");
        EXPECT_EQ(r.exit, c.exit) << c.options.front() << "\n" << r.out << r.err;
        EXPECT_EQ(chip.rfind(c.finding, 0), 0u) << chip;
        EXPECT_FALSE(has(r.out, "signature")) << r.out;
    }
    const CliResult r = doctor({"--simulate=AT25256", "--json", "--lang", "ru"});
    EXPECT_EQ(r.exit, 0);
    EXPECT_TRUE(
        has(r.out, R"x("finding":"AT25256 (разрешение записи устанавливает бит в регистре состояния: 02))x"))
        << r.out;
    EXPECT_FALSE(has(r.out, "сигнатур")) << r.out;
    const CliResult other = doctor({"--simulate=AT45DB081", "--device", "AT45DB041", "--json"});
    EXPECT_TRUE(has(other.out, R"x("finding":"another DataFlash answers: AT45DB081 (status byte A4)")x"))
        << other.out;
}

TEST_F(DoctorE2e, BoardFaultsStopTheLadderWithTheirCause) {
    struct Case {
        const char* option;
        const char* check;
        const char* finding;
        const char* advice;
    };
    const Case cases[] = {
        {"--firmware loader", "board", "only the board's loader answers", "update-firmware"},
        {"--version M02", "firmware", "version M02, but this program needs M01", "update-firmware"},
        {"--firmware none", "board", "the board does not answer at 19200 baud",
         "Check the board's power and cable"},
    };
    for (const Case& c : cases) {
        const CliResult r = doctor({"--simulate", "--simulate-with", c.option});
        EXPECT_EQ(r.exit, 3) << c.option << "\n" << r.out;
        const std::string line = checkLine(r, c.check);
        EXPECT_EQ(line.rfind("fail: ", 0), 0u) << line;
        EXPECT_TRUE(has(line, c.finding)) << line;
        EXPECT_TRUE(has(line, c.advice)) << line;
        EXPECT_TRUE(checkLine(r, "link speed").empty()) << "the ladder stops at the failed rung";
        EXPECT_TRUE(checkLine(r, "chip").empty());
    }
}

TEST_F(DoctorE2e, JsonAndRussianCarryTheSameFindings) {
    CliResult r = doctor({"--simulate", "--simulate-with", "--no-target-power", "--json", "--lang", "ru"});
    EXPECT_EQ(r.exit, 4);
    const std::vector<std::string> lines = r.outLines();
    ASSERT_GE(lines.size(), 3u);
    const std::string chip = lines[lines.size() - 3];
    EXPECT_TRUE(has(chip, R"("type":"check","check":"chip","name":"микросхема","state":"fail")")) << chip;
    EXPECT_TRUE(has(chip, "сигнатура 00 00 00: никто не отвечает")) << chip;
    EXPECT_TRUE(has(chip, "Проверьте питание целевой платы")) << chip;
    EXPECT_TRUE(has(lines.back(), R"("exit":4,"outcome":"wrong-chip")")) << lines.back();
}

TEST_F(DoctorE2e, AnFtdiAdapterWithASlowLatencyTimerAndAModemManagerOnIt) {
    sim::PtyBoardHost board(sim::SimOptions{});
    ASSERT_TRUE(board.ok()) << board.error();
    test::FakeSystemTree tree(bench.file("root"));
    const std::string port = tree.addAdapter(board.slavePath());

    CliResult r = doctor({"--port", port, "--system-root", tree.root()});
    EXPECT_EQ(r.exit, 0) << r.out << r.err;
    const std::string adapter = checkLine(r, "adapter");
    EXPECT_TRUE(has(adapter,
                    "warn: adapter: FT232R USB UART, driver ftdi_sio, USB 0403:6001, serial number A50285BI"))
        << adapter;
    EXPECT_TRUE(
        has(adapter, "Use the stable name /dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"));
    const std::string latency = checkLine(r, "latency timer");
    EXPECT_EQ(latency.rfind("warn: latency timer: latency timer 16 ms — Set the latency timer to 1 ms", 0),
              0u)
        << latency;
    EXPECT_TRUE(has(checkLine(r, "summary"), "warn: summary: the board and the chip work"));

    tree.addHolder(1234, "ModemManager", board.slavePath());
    r = doctor({"--port", port, "--system-root", tree.root(), "--lang", "ru"});
    EXPECT_EQ(r.exit, 3);
    const std::string held = checkLine(r, "другие программы");
    EXPECT_TRUE(has(held, "ошибка: другие программы: занят программой ModemManager (процесс 1234)")) << r.out;
    EXPECT_TRUE(has(held, "60-tovelisp-serial.rules"));
    EXPECT_TRUE(checkLine(r, "плата").empty()) << "nothing is sent while another program is on the line";
}

TEST_F(DoctorE2e, PortErrorsOfACommandNameTheCause) {
    test::writeFile(bench.file("image.hex"), ":00000001FF\n");
    CliResult r = bench.run({"--port", bench.file("image.hex"), "signature"});
    EXPECT_EQ(r.exit, 3);
    EXPECT_TRUE(r.errHas("Connection error: " + bench.file("image.hex") +
                         " is a regular file, not a serial port.\n"));
    EXPECT_FALSE(r.errHas("tovelisp-cli doctor")) << "the cause is named: no hint needed";
    r = bench.run({"--port", bench.file(""), "--lang", "ru", "info"});
    EXPECT_EQ(r.exit, 3);
    EXPECT_TRUE(r.errHas(" — папка, а не последовательный порт.")) << r.err;

    // A port another process holds (locked as careful programs do): that process is named.
    sim::PtyBoardHost board(sim::SimOptions{});
    ASSERT_TRUE(board.ok());
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t holder = ::fork();
    if (holder == 0) {
        ::prctl(PR_SET_NAME, "bench-terminal");
        // Only the port: the simulator's end of the line, inherited from this process, is not ours.
        for (int fd = 3; fd < 1024; ++fd)
            if (fd != ready[1]) ::close(fd);
        const int fd = ::open(board.slavePath().c_str(), O_RDWR | O_NOCTTY);
        if (fd < 0 || ::flock(fd, LOCK_EX) != 0) ::_exit(1);
        (void)!::write(ready[1], "x", 1);
        ::pause();
        ::_exit(0);
    }
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    r = bench.run({"--port", board.slavePath(), "signature"});
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    ::close(ready[0]);
    ::close(ready[1]);
    EXPECT_EQ(r.exit, 3);
    EXPECT_TRUE(r.errHas("Connection error: " + board.slavePath() + " is in use by bench-terminal (process " +
                         std::to_string(holder) + "). Close that program and try again.\n"))
        << r.err;
}

TEST_F(DoctorE2e, AnUnexplainedConnectionErrorPointsToTheDoctor) {
    CliResult r = bench.run({"--simulate", "--simulate-with", "--miso-open", "signature"});
    EXPECT_EQ(r.exit, 4);
    EXPECT_TRUE(r.errHas("Run 'tovelisp-cli doctor' (with the same --port) to find out why.\n")) << r.err;
    r = bench.run({"--simulate=ATmega16", "--device", "ATmega8", "signature"});
    EXPECT_EQ(r.exit, 4);
    EXPECT_FALSE(r.errHas("tovelisp-cli doctor")) << "another chip is named by its signature";
    // The board falls silent in the middle of opening the session: a bare "Connection error".
    r = bench.run({"--simulate", "--simulate-with", "--fault silence,nth=5", "signature"});
    EXPECT_EQ(r.exit, 3);
    EXPECT_TRUE(r.errHas("Tovel/Tovel-U Programmer: Connection error\n")) << r.err;
    EXPECT_TRUE(r.errHas("Run 'tovelisp-cli doctor' (with the same --port) to find out why.\n")) << r.err;
}

TEST_F(DoctorE2e, ARecordedTraceReplaysAsTheSameRun) {
    const std::string trace = bench.file("doctor.trace");
    const CliResult recorded =
        doctor({"--simulate", "--simulate-with", "--slow-chip-clock 8000", "--trace", trace});
    EXPECT_EQ(recorded.exit, 0) << recorded.out;
    const std::string text = test::readFile(trace);
    EXPECT_TRUE(has(text, "# open ")) << text.substr(0, 200);
    EXPECT_TRUE(has(text, "# speed: host 921600, board 921600"));
    EXPECT_TRUE(has(text, " host>board 25 '%'\n"));
    EXPECT_TRUE(has(text, " board>host 2B '+'\n"));
    EXPECT_TRUE(has(text, "# close\n"));

    std::string error;
    sim::SimOptions options;
    options.device = "none"; // nothing but the trace answers
    options.replay = sim::readTraceFile(trace, error).value_or(std::vector<sim::LoggedByte>{});
    ASSERT_FALSE(options.replay.empty()) << error;
    sim::PtyBoardHost board(options);
    ASSERT_TRUE(board.ok());
    const CliResult replayed = doctor({"--port", board.slavePath()});
    EXPECT_EQ(replayed.exit, recorded.exit);
    // The same checks and findings after the port's own name.
    std::vector<std::string> a = recorded.outLines();
    std::vector<std::string> b = replayed.outLines();
    ASSERT_FALSE(a.empty());
    ASSERT_FALSE(b.empty());
    a.erase(a.begin());
    b.erase(b.begin());
    EXPECT_EQ(a, b);

    // A host that strays from the trace meets a silent board.
    const CliResult strayed = bench.run({"--port", board.slavePath(), "info"});
    EXPECT_EQ(strayed.exit, 3);
}

// Root opens anything, so the doctor runs as nobody against a terminal only its owner may open.
TEST_F(DoctorE2e, APortNobodyMayOpenIsNamedWithTheWayToAccess) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";
    sim::PtyBoardHost board(sim::SimOptions{});
    ASSERT_TRUE(board.ok());
    const group* dialout = ::getgrnam("dialout");
    if (dialout == nullptr) GTEST_SKIP() << "no dialout group";
    ASSERT_EQ(::chown(board.slavePath().c_str(), 0, dialout->gr_gid), 0);
    char settings[] = "/tmp/tovel-doctor-XXXXXX";
    const int fd = ::mkstemp(settings);
    ASSERT_GE(fd, 0);
    ::fchmod(fd, 0644);
    ::close(fd);

    const auto asNobody = [&](mode_t mode) {
        ::chmod(board.slavePath().c_str(), mode);
        int out[2];
        if (::pipe(out) != 0) return std::string();
        const pid_t child = ::fork();
        if (child == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            ::close(out[0]);
            if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(126);
            ::execl(TOVEL_CLI_PATH, TOVEL_CLI_PATH, "--settings", settings, "--port",
                    board.slavePath().c_str(), "doctor", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(out[1]);
        std::string text;
        char buffer[1024];
        for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;)
            text.append(buffer, static_cast<std::size_t>(n));
        ::close(out[0]);
        int status = 0;
        ::waitpid(child, &status, 0);
        return text + "exit " + std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    };
    const std::string closed = asNobody(0000);
    EXPECT_TRUE(has(closed,
                    "fail: access: owner root, group dialout, mode 0000: you may not read and write it — "
                    "Install the udev rule shipped with the program (60-tovelisp-serial.rules)"))
        << closed;
    EXPECT_TRUE(has(closed, "exit 3"));
    const std::string groupOnly = asNobody(0660);
    EXPECT_TRUE(has(groupOnly,
                    "— Join the group 'dialout' (sudo usermod -aG dialout $USER), then log out and in "
                    "again."))
        << groupOnly;
    ::unlink(settings);
}
