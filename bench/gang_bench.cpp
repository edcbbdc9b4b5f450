// Gang benchmark: auto-program of a whole ATmega128 Flash image (128 KiB: erase, program,
// verify) through tovelisp-cli at 921600 baud, on one simulated board alone and on four at once,
// measured in the same run. Each board is a tovel-sim process with its timing model and 1 ms of
// reply latency, like a USB-serial adapter, so the boards' own times dominate and the host must
// keep four of them busy at once without slowing any.
//
// Prints the times, the ratio gang / alone and the host's CPU use per board (the command line's
// process alone, from its rusage); exits 1 when a run fails, the ratio exceeds 1.15 or a board
// costs 5 % of a core or more.
//
//   build/bench/tovel_gang_bench [BOARDS]   (default 4)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "devices/device_table.h"

extern char** environ;

using namespace tovel;
namespace fs = std::filesystem;

namespace {

constexpr double kTargetRatio = 1.15;
constexpr double kTargetCpuPerBoard = 0.05;
constexpr std::size_t kImageSize = 128 * 1024;

pid_t spawn(const std::vector<std::string>& arguments, const std::string& outPath) {
    std::vector<char*> argv;
    std::vector<std::string> copy = arguments;
    for (std::string& argument : copy) argv.push_back(argument.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

struct RunResult {
    bool ok = false;
    double seconds = 0;
    double cpuSeconds = 0;
};

// One run of the command line on `ports`; its wall time and the CPU it used.
RunResult autoprogram(const fs::path& dir, const std::vector<std::string>& ports, const std::string& tag) {
    std::vector<std::string> arguments{TOVEL_CLI_PATH,
                                       "--settings",
                                       (dir / "settings.ini").string(),
                                       "--baud",
                                       "2",
                                       "--serials",
                                       (dir / ("serials-" + tag + ".db")).string()};
    for (const std::string& port : ports) arguments.insert(arguments.end(), {"--port", port});
    arguments.insert(arguments.end(), {"autoprogram", (dir / "job.tvl").string()});
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = spawn(arguments, (dir / ("cli-" + tag + ".txt")).string());
    RunResult result;
    if (pid < 0) return result;
    int status = 0;
    rusage usage{};
    if (::wait4(pid, &status, 0, &usage) != pid) return result;
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    result.cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                        static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    result.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return result;
}

} // namespace

int main(int argc, char** argv) {
    const int boards = argc > 1 ? std::max(2, std::atoi(argv[1])) : 4;
    const fs::path dir = fs::temp_directory_path() / ("tovel-gang-bench-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::ofstream(dir / "settings.ini").close();
    {
        std::ofstream image(dir / "image.bin", std::ios::binary);
        for (std::size_t i = 0; i < kImageSize; ++i) image.put(static_cast<char>((i * 7 + i / 256) % 255));
        std::ofstream job(dir / "job.tvl");
        job << "[Files]\nFlash=image.bin\nEeprom=[Unspecified]\n[Settings]\nResetStrobeLength=2\nSPIPeriod="
               "1\n"
               "[AutoProgram]\nAutoErase=1\nAutoFlashProgram=1\nAutoFlashVerify=1\n[Device]\nDeviceNo="
            << DeviceTable::findByName("ATmega128") << "\n";
    }

    std::vector<pid_t> simulators;
    std::vector<std::string> ports;
    for (int k = 0; k < boards; ++k) {
        const std::string link = (dir / ("board" + std::to_string(k))).string();
        simulators.push_back(
            spawn({TOVEL_SIM_PATH, "--device", "ATmega128", "--timing", "--latency", "1", "--link", link},
                  (dir / ("sim" + std::to_string(k) + ".txt")).string()));
        ports.push_back(link);
    }
    for (const std::string& port : ports)
        for (int wait = 0; wait < 100 && !fs::exists(port); ++wait)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));

    const RunResult alone = autoprogram(dir, {ports[0]}, "alone");
    const RunResult gang = autoprogram(dir, ports, "gang");
    for (const pid_t pid : simulators) {
        ::kill(pid, SIGTERM);
        ::waitpid(pid, nullptr, 0);
    }

    const double ratio = alone.seconds > 0 ? gang.seconds / alone.seconds : 0;
    const double cpuAlone = alone.seconds > 0 ? alone.cpuSeconds / alone.seconds : 0;
    const double cpuPerBoard = gang.seconds > 0 ? gang.cpuSeconds / gang.seconds / boards : 0;
    std::printf(
        "auto-program ATmega128 Flash (128 KiB: erase, program, verify), 921600 baud, 1 ms latency\n");
    std::printf("  one board alone   %7.2f s   CPU %5.1f %% of a core  %s\n", alone.seconds, 100 * cpuAlone,
                alone.ok ? "ok" : "FAILED");
    std::printf("  %d boards at once  %7.2f s   CPU %5.1f %% of a core a board  %s\n", boards, gang.seconds,
                100 * cpuPerBoard, gang.ok ? "ok" : "FAILED");
    std::printf("  ratio gang / alone %.3f (target <= %.2f), CPU a board %.1f %% (target < %.0f %%)\n", ratio,
                kTargetRatio, 100 * cpuPerBoard, 100 * kTargetCpuPerBoard);
    const bool pass = alone.ok && gang.ok && ratio <= kTargetRatio && cpuPerBoard < kTargetCpuPerBoard;
    std::printf("  %s\n", pass ? "PASS" : "FAIL");
    if (pass)
        fs::remove_all(dir);
    else
        std::printf("  outputs kept in %s\n", dir.c_str());
    return pass ? 0 : 1;
}
