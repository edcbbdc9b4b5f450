// Memory transfers against the simulated board with its timing model on, at 921600 baud:
// programming and verifying a whole ATmega128 Flash (128 KiB) and reading a whole AT45DB642
// (8 MiB). Each run is timed from the worker's start to its end and compared with the floor of
// that run: the line time of every byte both ways, the SPI clock time and the chip times the
// simulator imposed, plus the waits the program itself must keep (the page delay of each page
// write, counted from before its reply, and the chunk pauses, 0 here). The simulator runs in a
// child process, so the host's CPU use (getrusage) is the program's alone.
//
// Every command waits for its reply, so each exchange also pays the round trip through the
// pseudo-terminal and the simulator's scheduling, which no host can avoid. A calibration run of
// bare one-byte exchanges, in the same run, measures that cost; the table also shows each
// transfer against its floor plus that cost for its number of exchanges.
//
// Prints a table; exits with 1 when a run is wrong, slower than 1.05 x its floor or uses 10 %
// of a core or more.
//
//   build/bench/tovel_transfer_bench [program|verify|read ...]   (default: all three)
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "bench_chip_rig.h"
#include "board/board_commands.h"
#include "board/board_session.h"
#include "board/operation_runner.h"
#include "board/port_map.h"
#include "board/posix_serial_channel.h"
#include "devices/device_table.h"
#include "image/memory_buffer.h"
#include "ops/chip_context.h"
#include "ops/memory_programming.h"
#include "ops/memory_reading.h"
#include "ops/memory_verifying.h"
#include "ops/operation_frame.h"
#include "project/project.h"
#include "sim/pty_board_host.h"

using namespace tovel;

namespace {

constexpr double kTargetRatio = 1.05;
constexpr double kTargetCpu = 0.10;
constexpr double kBaud = 921600.0;

using Bytes = std::vector<std::uint8_t>;

using bench::pattern;

bool readAll(int fd, void* into, std::size_t count) {
    auto* at = static_cast<char*>(into);
    while (count > 0) {
        const ssize_t n = ::read(fd, at, count);
        if (n <= 0) return false;
        at += n;
        count -= static_cast<std::size_t>(n);
    }
    return true;
}

bool writeAll(int fd, const void* from, std::size_t count) {
    const auto* at = static_cast<const char*>(from);
    while (count > 0) {
        const ssize_t n = ::write(fd, at, count);
        if (n <= 0) return false;
        at += n;
        count -= static_cast<std::size_t>(n);
    }
    return true;
}

// The simulated board in a child process, asked over two pipes for its timing report.
class SimulatorProcess {
public:
    SimulatorProcess(const sim::SimOptions& options, const Bytes& flashContent) {
        int down[2];
        int up[2];
        if (::pipe(down) != 0 || ::pipe(up) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(down[1]);
            ::close(up[0]);
            serve(options, flashContent, down[0], up[1]);
            ::_exit(0);
        }
        ::close(down[0]);
        ::close(up[1]);
        toChild_ = down[1];
        fromChild_ = up[0];
        std::uint32_t length = 0;
        if (pid_ < 0 || !readAll(fromChild_, &length, sizeof length) || length == 0 || length > 4096) return;
        slavePath_.resize(length);
        if (!readAll(fromChild_, slavePath_.data(), length)) slavePath_.clear();
    }
    ~SimulatorProcess() {
        if (pid_ > 0) {
            const char quit = 'Q';
            (void)writeAll(toChild_, &quit, 1);
            int status = 0;
            ::waitpid(pid_, &status, 0);
        }
        if (toChild_ >= 0) ::close(toChild_);
        if (fromChild_ >= 0) ::close(fromChild_);
    }
    SimulatorProcess(const SimulatorProcess&) = delete;
    SimulatorProcess& operator=(const SimulatorProcess&) = delete;

    bool ok() const { return !slavePath_.empty(); }
    const std::string& slavePath() const { return slavePath_; }
    void resetTiming() { ask('R', nullptr, 0); }
    sim::TimingReport timing() {
        sim::TimingReport report;
        ask('T', &report, sizeof report);
        return report;
    }

private:
    static void serve(const sim::SimOptions& options, const Bytes& flashContent, int commands, int replies) {
        sim::PtyBoardHost host(options);
        if (!flashContent.empty()) host.setFlash(0, flashContent);
        const std::string path = host.ok() ? host.slavePath() : std::string();
        const auto length = static_cast<std::uint32_t>(path.size());
        if (!writeAll(replies, &length, sizeof length) || !writeAll(replies, path.data(), path.size()))
            return;
        char command = 0;
        while (readAll(commands, &command, 1) && command != 'Q') {
            if (command == 'R') {
                host.resetTiming();
                const char done = 'k';
                (void)writeAll(replies, &done, 1);
            } else if (command == 'T') {
                host.waitIdle(3000);
                const sim::TimingReport report = host.timing();
                (void)writeAll(replies, &report, sizeof report);
            }
        }
    }
    void ask(char command, void* answer, std::size_t size) {
        char done = 0;
        if (!writeAll(toChild_, &command, 1)) return;
        if (answer == nullptr)
            (void)readAll(fromChild_, &done, 1);
        else
            (void)readAll(fromChild_, answer, size);
    }

    pid_t pid_ = -1;
    int toChild_ = -1;
    int fromChild_ = -1;
    std::string slavePath_;
};

double us(std::uint64_t value) { return static_cast<double>(value); }

double cpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct Measurement {
    double seconds = 0;
    double cpuSeconds = 0;
    sim::TimingReport floor;
};

// The program's side of the bench, with a runner host that starts the worker and waits for its
// end directly, timing exactly the worker's run.
class Workbench {
public:
    Workbench(const std::string& slavePath, const char* device, SimulatorProcess& simulator)
        : simulator_(simulator), rig_(slavePath, device) {
        rig_.ui.runHook = [this](OperationRunner& runner) {
            simulator_.resetTiming();
            const double cpu0 = cpuSeconds();
            const auto t0 = std::chrono::steady_clock::now();
            if (!runner.launch()) return OperationRunner::kNotStartedResult;
            runner.join();
            const auto t1 = std::chrono::steady_clock::now();
            last_.cpuSeconds = cpuSeconds() - cpu0;
            last_.seconds = std::chrono::duration<double>(t1 - t0).count();
            last_.floor = simulator_.timing();
            return runner.result();
        };
    }

    ChipContext& context() { return rig_.context; }
    SerialChannel& channel() { return rig_.channel; }
    const Messages& messages() const { return rig_.messages; }
    Project& project() { return rig_.project; }
    MemoryBuffer& flash() { return rig_.flash; }
    bench::QuietUi& ui() { return rig_.ui; }
    const Measurement& last() const { return last_; }

private:
    SimulatorProcess& simulator_;
    bench::ChipRig rig_;
    Measurement last_;
};

// The cheapest exchange the board has: SetWaitCode and its acknowledge, `count` times.
class BareExchanges final : public OperationRunner {
public:
    BareExchanges(const Messages& messages, SerialChannel& channel, std::size_t count)
        : OperationRunner(messages), channel_(channel), count_(count) {}
    bool ok() const { return ok_; }

protected:
    Outcome run() override {
        for (std::size_t i = 0; i < count_ && ok_; ++i) ok_ = board::setWaitCode(channel_, 0xDC);
        return ok_ ? Outcome::Ok : Outcome::Failed;
    }

private:
    SerialChannel& channel_;
    std::size_t count_;
    bool ok_ = true;
};

struct Row {
    std::string name;
    double seconds;
    double floorSeconds;
    double cpuShare;
    bool correct;
    std::string detail;
    std::size_t exchanges = 0;
};

// The round trip one exchange costs beyond its line time, on this machine now (seconds).
double exchangeOverhead(Workbench& bench) {
    constexpr std::size_t kExchanges = 2000;
    OperationFrame frame(bench.context(), msg::ReadingFlash, OperationFrame::SetsStatus::No);
    if (!frame.beginAtLinkSpeed()) return 0;
    BareExchanges exchanges(bench.messages(), bench.channel(), kExchanges);
    bench.ui().runModal(exchanges);
    const Measurement& m = bench.last();
    if (!exchanges.ok()) return 0;
    return (m.seconds - us(m.floor.floorUs()) / 1e6) / kExchanges;
}

sim::SimOptions timedBoard(const char* device) {
    sim::SimOptions options;
    options.device = device;
    options.timing.enabled = true;
    return options;
}

// One page write's share of the floor beyond what the simulator counted: the program sleeps the
// page delay less the time its reply took (the 4 SPI bytes of the instruction and the reply
// byte on the line); the chip's write time runs meanwhile and counts only where it is longer.
double pageWaitUs(double pageDelayUs, double spiByteUs, double chipUs) {
    const double replyUs = 4 * spiByteUs + 10e6 / kBaud;
    const double sleepUs = std::max(0.0, pageDelayUs - replyUs);
    return std::max(sleepUs, chipUs) - chipUs; // chipUs is in the simulator's floor already
}

void programAndVerifyMega128(std::vector<Row>& rows, bool program, bool verify, double& overhead) {
    SimulatorProcess simulator(timedBoard("ATmega128"), {});
    if (!simulator.ok()) {
        rows.push_back({"ATmega128 (no simulator)", 0, 0, 0, false, ""});
        return;
    }
    Workbench bench(simulator.slavePath(), "ATmega128", simulator);
    overhead = exchangeOverhead(bench);
    const DeviceRecord& device = DeviceTable::device(bench.project().deviceIndex);
    const Bytes image = pattern(device.flashSize, 11);
    bench.flash().create(image.size());
    std::copy(image.begin(), image.end(), bench.flash().data().begin());

    const std::size_t pages = image.size() / (2 * device.pageSize);
    const std::size_t spiBytes = 4 * image.size() + 4 * pages; // the loads and the page writes
    programFlash(bench.context());
    {
        const Measurement& m = bench.last();
        const double spiByteUs = us(m.floor.spiUs) / static_cast<double>(spiBytes);
        const double chipPerPageUs = us(m.floor.chipUs) / static_cast<double>(pages);
        const double waitsUs = static_cast<double>(pages) *
                               pageWaitUs(device.pageWriteTimeMs * 1000.0, spiByteUs, chipPerPageUs);
        const double floorUs = us(m.floor.floorUs()) + waitsUs;
        char detail[200];
        std::snprintf(detail, sizeof detail, "wire %.2f s, SPI %.2f s, chip %.2f s, page waits %.2f s",
                      us(m.floor.wireUs) / 1e6, us(m.floor.spiUs) / 1e6, us(m.floor.chipUs) / 1e6,
                      waitsUs / 1e6);
        if (program)
            rows.push_back({"program ATmega128 Flash, 128 KiB", m.seconds, floorUs / 1e6,
                            m.cpuSeconds / m.seconds,
                            bench.ui().lastStatus == "Flash program: Done (131072 bytes programmed)", detail,
                            // Wait code, address and 4 loads a page; the page write's round trip falls
                            // inside its page delay.
                            2 + 4 * pages});
    }
    if (!verify) return;
    verifyFlash(bench.context());
    const Measurement& m = bench.last();
    char detail[200];
    std::snprintf(detail, sizeof detail, "wire %.2f s, SPI %.2f s", us(m.floor.wireUs) / 1e6,
                  us(m.floor.spiUs) / 1e6);
    rows.push_back(
        {"verify ATmega128 Flash, 128 KiB", m.seconds, us(m.floor.floorUs()) / 1e6, m.cpuSeconds / m.seconds,
         bench.ui().lastStatus == "Flash verify: OK (131072 bytes verified)", detail, 1 + image.size() / 64});
}

void readDataFlash(std::vector<Row>& rows, double& overhead) {
    const DeviceRecord& device = DeviceTable::device(DeviceTable::findByName("AT45DB642"));
    const Bytes content = pattern(device.flashSize, 23);
    SimulatorProcess simulator(timedBoard("AT45DB642"), content);
    if (!simulator.ok()) {
        rows.push_back({"AT45DB642 (no simulator)", 0, 0, 0, false, ""});
        return;
    }
    Workbench bench(simulator.slavePath(), "AT45DB642", simulator);
    overhead = exchangeOverhead(bench);
    readFlash(bench.context());
    const Measurement& m = bench.last();
    const auto data = bench.flash().data();
    const bool same =
        data.size() == content.size() && std::equal(content.begin(), content.end(), data.begin());
    char detail[200];
    std::snprintf(detail, sizeof detail, "wire %.2f s, SPI %.2f s", us(m.floor.wireUs) / 1e6,
                  us(m.floor.spiUs) / 1e6);
    rows.push_back({"read AT45DB642, 8 MiB", m.seconds, us(m.floor.floorUs()) / 1e6, m.cpuSeconds / m.seconds,
                    same && bench.ui().boxes == 0, detail,
                    3 + (device.flashSize + device.pageSize - 1) / device.pageSize});
}

} // namespace

int main(int argc, char** argv) {
    ::signal(SIGPIPE, SIG_IGN);
    bool program = argc < 2, verify = argc < 2, read = argc < 2;
    for (int i = 1; i < argc; ++i) {
        program = program || std::strcmp(argv[i], "program") == 0;
        verify = verify || std::strcmp(argv[i], "verify") == 0;
        read = read || std::strcmp(argv[i], "read") == 0;
    }

    std::vector<Row> rows;
    std::vector<double> overheads;
    double overhead = 0;
    if (program || verify) {
        programAndVerifyMega128(rows, program, verify, overhead);
        overheads.insert(overheads.end(), rows.size(), overhead);
    }
    if (read) {
        readDataFlash(rows, overhead);
        overheads.resize(rows.size(), overhead);
    }

    std::printf("%-34s %9s %9s %6s %9s %9s %6s %8s  %s\n", "transfer at 921600 baud", "measured", "floor",
                "ratio", "exchanges", "+ trips", "ratio", "host CPU", "result");
    bool allMet = true;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Row& row = rows[i];
        const double ratio = row.floorSeconds > 0 ? row.seconds / row.floorSeconds : 0;
        const double withTrips = row.floorSeconds + static_cast<double>(row.exchanges) * overheads[i];
        const bool met = row.correct && ratio > 0 && ratio <= kTargetRatio && row.cpuShare < kTargetCpu;
        allMet = allMet && met;
        std::printf("%-34s %8.2fs %8.2fs %6.3f %9zu %8.2fs %6.3f %7.1f%%  %s%s\n", row.name.c_str(),
                    row.seconds, row.floorSeconds, ratio, row.exchanges, withTrips,
                    withTrips > 0 ? row.seconds / withTrips : 0, row.cpuShare * 100,
                    row.correct ? "correct" : "WRONG", met ? "" : "  (target missed)");
        std::printf("%-34s floor: %s; round trip %.3f ms an exchange\n", "", row.detail.c_str(),
                    overheads[i] * 1e3);
    }
    std::printf("targets: ratio <= %.2f, host CPU < %.0f%% of one core\n", kTargetRatio, kTargetCpu * 100);
    return allMet ? 0 : 1;
}
