#include "bench_support.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>

extern char** environ;

namespace tovel::bench {

double bestMilliseconds(const std::function<bool()>& run) {
    double best = 1e300;
    for (int i = 0; i < kRuns; ++i) {
        const auto start = std::chrono::steady_clock::now();
        if (!run()) {
            std::fprintf(stderr, "a run failed\n");
            std::exit(2);
        }
        const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    return best;
}

bool runProcess(std::vector<std::string> arguments) {
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    if (posix_spawnp(&child, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return false;
    int status = 0;
    return waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::vector<std::uint8_t> testImage(std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    std::uint64_t state = 0x9E3779B97F4A7C15ULL;
    for (std::uint8_t& byte : bytes) {
        state ^= state << 13, state ^= state >> 7, state ^= state << 17;
        byte = static_cast<std::uint8_t>(state);
    }
    return bytes;
}

bool writeBinary(const std::string& path, std::span<const std::uint8_t> bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

bool readWhole(const std::string& path, std::vector<std::uint8_t>& bytes) {
    std::error_code error;
    const auto size = static_cast<std::size_t>(std::filesystem::file_size(path, error));
    if (error) return false;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    bytes.resize(size);
    const bool read = std::fread(bytes.data(), 1, size, file) == size;
    std::fclose(file);
    return read;
}

ScratchFolder::ScratchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tovel-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

bool printRatioTable(const char* referenceName, std::span<const RatioRow> rows) {
    const std::string referenceColumn = std::string(referenceName) + " ms";
    std::printf("best of %d runs each\n", kRuns);
    std::printf("%-32s %10s %13s %8s %8s\n", "operation", "ours ms", referenceColumn.c_str(), "ratio",
                "target");
    bool met = true;
    for (const RatioRow& row : rows) {
        const double ratio = row.reference / row.ours;
        const bool ok = ratio >= row.target;
        met = met && ok;
        std::printf("%-32s %10.1f %13.1f %7.2fx %6.1fx  %s\n", row.name, row.ours, row.reference, ratio,
                    row.target, ok ? "met" : "MISSED");
    }
    return met;
}

} // namespace tovel::bench
