// What the benchmarks share: timing, running the reference tool, the test image, scratch files
// and the table of ratios they print.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace tovel::bench {

constexpr int kRuns = 7;

// The best of kRuns runs, in milliseconds; exits with 2 when a run fails.
double bestMilliseconds(const std::function<bool()>& run);

// Runs a program found on PATH and waits; true when it exits with 0.
bool runProcess(std::vector<std::string> arguments);

// `size` bytes of a fixed pseudo-random sequence: the same image in every run.
std::vector<std::uint8_t> testImage(std::size_t size);

bool writeBinary(const std::string& path, std::span<const std::uint8_t> bytes);
bool readWhole(const std::string& path, std::vector<std::uint8_t>& bytes);

// A fresh folder under the temporary directory, removed with everything in it at the end.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    bool created() const { return !path_.empty(); }
    std::string file(const char* name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

struct RatioRow {
    const char* name;
    double ours;      // ms
    double reference; // ms
    double target;    // the reference's time over ours must reach this
};

// Prints the table; false when a row misses its target.
bool printRatioTable(const char* referenceName, std::span<const RatioRow> rows);

} // namespace tovel::bench
