// Loading and saving an 8 MiB image as Motorola S-records (S2 records, 16 data bytes each),
// against GNU objcopy doing the same conversion on the same files. Ours reads the file with one
// read and decodes it, and encodes and writes it in large chunks, in-process; objcopy runs as a
// process. Best of several runs. Prints a table and exits with 1 when a target ratio is missed.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "bench_support.h"
#include "image/image_limits.h"
#include "image/srec_decoder.h"
#include "image/srec_encoder.h"

using namespace tovel;
using namespace tovel::bench;

namespace {

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
    const ScratchFolder folder;
    if (!folder.created()) return 2;
    const std::string imageBin = folder.file("image.bin");
    const std::string imageSrec = folder.file("image.srec");

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
        return runProcess({"objcopy", "-I", "srec", "-O", "binary", imageSrec, folder.file("objcopy.bin")});
    });
    const double oursSave = bestMilliseconds([&] { return saveSrec(folder.file("ours.srec"), image); });
    const double objcopySave = bestMilliseconds([&] {
        return runProcess({"objcopy", "-I", "binary", "-O", "srec", imageBin, folder.file("objcopy.srec")});
    });

    if (!loadedExactly) {
        std::fprintf(stderr, "the loaded image differs from the saved one\n");
        return 2;
    }

    const RatioRow rows[] = {
        {"load 8 MiB image from S-records", oursLoad, objcopyLoad, 3.0},
        {"save 8 MiB image as S-records", oursSave, objcopySave, 2.0},
    };
    return printRatioTable("objcopy", rows) ? 0 : 1;
}
