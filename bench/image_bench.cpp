// Loading and saving an 8 MiB image as Intel HEX, against GNU objcopy doing the same
// conversion on the same files. Ours is timed in-process, objcopy as a process; both best of
// several runs. Prints a table and exits with 1 when a target ratio is missed.
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
#include "image/memory_buffer.h"

extern char** environ;

using namespace tovel;

namespace {

constexpr int kRuns = 7;

// Answers nothing and shows nothing; Save As always picks `savePath`.
class QuietUi final : public UserInterface {
public:
    std::string savePath;
    int boxes = 0;

    void setStatus(const std::string&) override {}
    void showInfo(const std::string&) override { ++boxes; }
    void showPlain(const std::string&) override { ++boxes; }
    void showBox(const std::string&, const std::string& text, BoxIcon) override {
        ++boxes;
        std::fprintf(stderr, "box: %s\n", text.c_str());
    }
    Answer ask(const Question&) override { return Answer::No; }
    void setBusy(bool) override {}
    Outcome runModal(OperationRunner&) override { return Outcome::Failed; }
    std::optional<std::string> chooseFile(const FileChoice&) override { return savePath; }
};

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

} // namespace

int main() {
    std::string folderPattern = (std::filesystem::temp_directory_path() / "tovel-bench-XXXXXX").string();
    if (::mkdtemp(folderPattern.data()) == nullptr) return 2;
    const std::filesystem::path folder = folderPattern;
    const std::string imageBin = (folder / "image.bin").string();
    const std::string imageHex = (folder / "image.hex").string();

    QuietUi ui;
    Messages messages;
    MemoryBuffer buffer(ui, messages, false);
    const std::vector<std::uint8_t> image = testImage(kMaxImageSize);
    if (!writeBinary(imageBin, image) || !buffer.load(imageBin)) return 2;
    ui.savePath = imageHex;
    if (!buffer.saveAs()) return 2;
    std::printf("image: %zu bytes; HEX text: %ju bytes (16-byte records, linear address records)\n",
                image.size(), static_cast<std::uintmax_t>(std::filesystem::file_size(imageHex)));

    const double oursLoad =
        bestMilliseconds([&] { return buffer.load(imageHex) && buffer.size() == image.size(); });
    const bool loadedExactly = std::equal(image.begin(), image.end(), buffer.data().begin());
    const double objcopyLoad = bestMilliseconds([&] {
        return runProcess(
            {"objcopy", "-I", "ihex", "-O", "binary", imageHex, (folder / "objcopy.bin").string()});
    });

    ui.savePath = (folder / "ours.hex").string();
    const double oursSave = bestMilliseconds([&] { return buffer.saveAs() && ui.boxes == 0; });
    const double objcopySave = bestMilliseconds([&] {
        return runProcess(
            {"objcopy", "-I", "binary", "-O", "ihex", imageBin, (folder / "objcopy.hex").string()});
    });

    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    if (!loadedExactly) {
        std::fprintf(stderr, "the loaded image differs from the saved one\n");
        return 2;
    }

    const Row rows[] = {
        {"load 8 MiB image from HEX", oursLoad, objcopyLoad, 3.0},
        {"save 8 MiB image as HEX", oursSave, objcopySave, 2.0},
    };
    std::printf("best of %d runs each\n", kRuns);
    std::printf("%-28s %10s %13s %8s %8s\n", "operation", "ours ms", "objcopy ms", "ratio", "target");
    bool met = true;
    for (const Row& row : rows) {
        const double ratio = row.reference / row.ours;
        const bool ok = ratio >= row.target;
        met = met && ok;
        std::printf("%-28s %10.1f %13.1f %7.2fx %6.1fx  %s\n", row.name, row.ours, row.reference, ratio,
                    row.target, ok ? "met" : "MISSED");
    }
    return met ? 0 : 1;
}
