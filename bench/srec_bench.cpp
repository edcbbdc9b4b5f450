// Loading and saving an 8 MiB image as Motorola S-records (S2 records, 16 data bytes each),
// against GNU objcopy doing the same conversion on the same files. Ours reads the file with one
// read and decodes it, and encodes and writes it in large chunks, in-process; objcopy runs as a
// process. Best of several runs. Prints a table and exits with 1 when a target ratio is missed.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <spawn.h>
#include <sys/wait.h>

#include "image/image_limits.h"
#include "image/srec_decoder.h"
#include "image/srec_encoder.h"

extern char** environ;

using namespace tovel;

namespace {

constexpr int kRuns = 7;

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

bool writeBinary(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

struct Row {
    const char* name;
    double ours;
    double reference;
    double target;
};

bool readWhole(const std::string& path, std::vector<std::uint8_t>& text) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    const auto size = static_cast<std::size_t>(std::filesystem::file_size(path));
    text.resize(size);
    const bool read = std::fread(text.data(), 1, size, file) == size;
    std::fclose(file);
    return read;
}

bool saveSrec(const std::string& path, const std::vector<std::uint8_t>& image) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    const bool written = encodeSrec(image, [file](std::span<const char> chunk) {
        return std::fwrite(chunk.data(), 1, chunk.size(), file) == chunk.size();
    });
    return std::fclose(file) == 0 && written;
}

} // namespace

int main() {
    std::string folderPattern = (std::filesystem::temp_directory_path() / "tovel-bench-XXXXXX").string();
    if (::mkdtemp(folderPattern.data()) == nullptr) return 2;
    const std::filesystem::path folder = folderPattern;
    const std::string imageBin = (folder / "image.bin").string();
    const std::string imageSrec = (folder / "image.srec").string();

    const std::vector<std::uint8_t> image = testImage(kMaxImageSize);
    if (!writeBinary(imageBin, image) || !saveSrec(imageSrec, image)) return 2;
    std::printf("image: %zu bytes; S-record text: %ju bytes\n", image.size(),
                static_cast<std::uintmax_t>(std::filesystem::file_size(imageSrec)));

    std::vector<std::uint8_t> text;
    bool loadedExactly = true;
    const double oursLoad = bestMilliseconds([&] {
        if (!readWhole(imageSrec, text)) return false;
        const SrecDecodeResult decoded = decodeSrec(text);
        loadedExactly = loadedExactly && decoded.fault == SrecFault::None &&
                        decoded.image.size() == image.size() &&
                        std::equal(image.begin(), image.end(), decoded.image.data());
        return decoded.fault == SrecFault::None;
    });
    const double objcopyLoad = bestMilliseconds([&] {
        return runProcess(
            {"objcopy", "-I", "srec", "-O", "binary", imageSrec, (folder / "objcopy.bin").string()});
    });
    const double oursSave =
        bestMilliseconds([&] { return saveSrec((folder / "ours.srec").string(), image); });
    const double objcopySave = bestMilliseconds([&] {
        return runProcess(
            {"objcopy", "-I", "binary", "-O", "srec", imageBin, (folder / "objcopy.srec").string()});
    });

    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    if (!loadedExactly) {
        std::fprintf(stderr, "the loaded image differs from the saved one\n");
        return 2;
    }

    const Row rows[] = {
        {"load 8 MiB image from S-records", oursLoad, objcopyLoad, 3.0},
        {"save 8 MiB image as S-records", oursSave, objcopySave, 2.0},
    };
    std::printf("best of %d runs each\n", kRuns);
    std::printf("%-32s %10s %13s %8s %8s\n", "operation", "ours ms", "objcopy ms", "ratio", "target");
    bool met = true;
    for (const Row& row : rows) {
        const double ratio = row.reference / row.ours;
        const bool ok = ratio >= row.target;
        met = met && ok;
        std::printf("%-32s %10.1f %13.1f %7.2fx %6.1fx  %s\n", row.name, row.ours, row.reference, ratio,
                    row.target, ok ? "met" : "MISSED");
    }
    return met ? 0 : 1;
}
