// Loading and saving an 8 MiB image as Intel HEX, against GNU objcopy doing the same
// conversion on the same files. Ours is timed in-process, objcopy as a process; both best of
// several runs. Prints a table and exits with 1 when a target ratio is missed.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "bench_support.h"
#include "image/image_limits.h"
#include "image/memory_buffer.h"

using namespace tovel;
using namespace tovel::bench;

namespace {

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

} // namespace

int main() {
    const ScratchFolder folder;
    if (!folder.created()) return 2;
    const std::string imageBin = folder.file("image.bin");
    const std::string imageHex = folder.file("image.hex");

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
        return runProcess({"objcopy", "-I", "ihex", "-O", "binary", imageHex, folder.file("objcopy.bin")});
    });

    ui.savePath = folder.file("ours.hex");
    const double oursSave = bestMilliseconds([&] { return buffer.saveAs() && ui.boxes == 0; });
    const double objcopySave = bestMilliseconds([&] {
        return runProcess({"objcopy", "-I", "binary", "-O", "ihex", imageBin, folder.file("objcopy.hex")});
    });

    if (!loadedExactly) {
        std::fprintf(stderr, "the loaded image differs from the saved one\n");
        return 2;
    }

    const RatioRow rows[] = {
        {"load 8 MiB image from HEX", oursLoad, objcopyLoad, 3.0},
        {"save 8 MiB image as HEX", oursSave, objcopySave, 2.0},
    };
    return printRatioTable("objcopy", rows) ? 0 : 1;
}
