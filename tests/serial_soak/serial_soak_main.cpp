// Serial-number crash soak. Two worker processes draw numbers from one job's store in a loop;
// each "uses" a number by appending it to a shared file (one write a line) only after the
// allocator returned it, then records the chip as passed or failed. The parent kills a worker
// with SIGKILL at a random moment, restarts it, and repeats. At the end every number used must
// be unique and recorded in the store, and the store's next number must lie past all of them.
//
//   tovel_serial_soak [--kills N] [--workers N] [--seed N] [--keep DIR]
// Exits 0 when no number was used twice, 1 otherwise, 2 on a usage error.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "production/sqlite_serial_allocator.h"

using namespace tovel;
namespace fs = std::filesystem;

namespace {

constexpr std::uint64_t kLimit = 0xFFFFFFFFu;

[[noreturn]] void work(const std::string& store, const std::string& usedPath, int worker) {
    SqliteSerialAllocator allocator(store);
    const int used = ::open(usedPath.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (!allocator.ok() || used < 0) ::_exit(3);
    for (int n = 0;; ++n) {
        ChipRecord chip;
        chip.port = "worker" + std::to_string(worker);
        chip.device = "ATmega8";
        if (!allocator.allocate({{"flash", 1, kLimit}}, chip)) ::_exit(4);
        const std::string line = std::to_string(*chip.flashSerial) + " " + chip.port + "\n";
        if (::write(used, line.data(), line.size()) != static_cast<ssize_t>(line.size())) ::_exit(5);
        chip.result = n % 5 == 4 ? ChipResult::Failed : ChipResult::Passed;
        if (!allocator.finish(chip)) ::_exit(6);
    }
}

pid_t startWorker(const std::string& store, const std::string& usedPath, int worker) {
    const pid_t pid = ::fork();
    if (pid == 0) work(store, usedPath, worker);
    return pid;
}

} // namespace

int main(int argc, char** argv) {
    int kills = 200;
    int workers = 2;
    unsigned seed = static_cast<unsigned>(std::random_device{}());
    std::string keep;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (!value) {
            std::fprintf(stderr,
                         "usage: tovel_serial_soak [--kills N] [--workers N] [--seed N] [--keep DIR]\n");
            return 2;
        }
        if (arg == "--kills")
            kills = std::atoi(value);
        else if (arg == "--workers")
            workers = std::max(1, std::atoi(value));
        else if (arg == "--seed")
            seed = static_cast<unsigned>(std::strtoul(value, nullptr, 0));
        else if (arg == "--keep")
            keep = value;
        else
            return 2;
        ++i;
    }

    const fs::path dir = keep.empty()
                             ? fs::temp_directory_path() / ("tovel-serial-soak-" + std::to_string(::getpid()))
                             : fs::path(keep);
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string store = (dir / "job.serials.db").string();
    const std::string usedPath = (dir / "used.txt").string();
    { SqliteSerialAllocator create(store); }

    std::mt19937 random(seed);
    std::vector<pid_t> pids;
    for (int w = 0; w < workers; ++w) pids.push_back(startWorker(store, usedPath, w));
    const auto start = std::chrono::steady_clock::now();
    int abnormal = 0;
    for (int k = 0; k < kills; ++k) {
        // Long enough for a few numbers, short enough to land in every part of a transaction.
        ::usleep(std::uniform_int_distribution<unsigned>(1000, 40000)(random));
        const std::size_t victim = std::uniform_int_distribution<std::size_t>(0, pids.size() - 1)(random);
        ::kill(pids[victim], SIGKILL);
        int status = 0;
        ::waitpid(pids[victim], &status, 0);
        if (!WIFSIGNALED(status)) ++abnormal; // it ended by itself: an allocator or file failure
        pids[victim] = startWorker(store, usedPath, static_cast<int>(victim));
    }
    for (const pid_t pid : pids) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    std::map<std::uint64_t, int> uses;
    std::ifstream used(usedPath);
    std::uint64_t number = 0;
    std::string who;
    while (used >> number >> who) ++uses[number];
    int twice = 0;
    for (const auto& [n, count] : uses)
        if (count > 1) {
            ++twice;
            std::fprintf(stderr, "number %llu used %d times\n", static_cast<unsigned long long>(n), count);
        }

    SqliteSerialAllocator allocator(store);
    std::map<std::uint64_t, ChipResult> recorded;
    for (const ChipRecord& chip : allocator.chips())
        if (chip.flashSerial) recorded[*chip.flashSerial] = chip.result;
    int unrecorded = 0;
    for (const auto& [n, count] : uses)
        if (!recorded.count(n)) ++unrecorded;
    const std::uint64_t next = allocator.next("flash").value_or(0);
    const bool pastAll = uses.empty() || next > uses.rbegin()->first;
    int spent = 0;
    for (const auto& [n, result] : recorded)
        if (result == ChipResult::Spent) ++spent;

    std::printf("serial soak: seed %u, %d kills of %d workers in %.1f s\n", seed, kills, workers, seconds);
    std::printf("  numbers taken %zu, used %zu, spent without an outcome %d, next %llu\n", recorded.size(),
                uses.size(), spent, static_cast<unsigned long long>(next));
    std::printf("  used twice %d, used but not recorded %d, workers that died by themselves %d\n", twice,
                unrecorded, abnormal);
    const bool ok = twice == 0 && unrecorded == 0 && pastAll && abnormal == 0 && !uses.empty();
    std::printf("  %s\n", ok ? "PASS: no number reached two chips" : "FAIL");
    if (keep.empty()) fs::remove_all(dir);
    return ok ? 0 : 1;
}
