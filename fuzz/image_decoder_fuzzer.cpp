// Feeds arbitrary file contents to the image decoder. Beyond not crashing, hanging or touching
// memory out of bounds, it checks what a person would notice: the checksum question at most
// once, binary fall-back equal to the file, HEX images within 8 MiB, and that a HEX image
// written out and read again is unchanged.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "image/hex_encoder.h"
#include "image/image_decoder.h"
#include "image/image_limits.h"

using namespace tovel;

namespace {

void require(bool condition) {
    if (!condition) __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // One image area for all runs: allocating and freeing 8 MiB per run costs the sanitizers
    // far more than the decoding itself.
    static std::vector<std::uint8_t> area(kMaxImageSize);
    const std::span<const std::uint8_t> text(data, size);
    // The answer to the checksum question follows the length, so both answers get explored.
    const bool acceptBadChecksum = size % 2 == 1;
    int questions = 0;
    DecodedImage decoded = decodeImage(
        text, false,
        [&] {
            ++questions;
            return acceptBadChecksum;
        },
        area);
    require(questions <= 1);
    require(decoded.image.has_value());
    require(!(decoded.hexError && decoded.format == ImageFormat::Hex));
    const ByteBlock& image = *decoded.image;
    require(image.size() <= kMaxImageSize);

    if (decoded.format == ImageFormat::Binary) {
        require(image.size() == std::min(size, kMaxImageSize));
        require(image.empty() || std::memcmp(image.data(), data, image.size()) == 0);
        return 0;
    }
    if (image.size() > 64 * 1024) return 0; // keep runs fast
    std::string written;
    require(encodeHex(image.span(), [&](std::span<const char> chunk) {
        written.append(chunk.data(), chunk.size());
        return true;
    }));
    require(written.size() == hexTextLength(image.size()));
    const HexScan again = decodeHexInto(
        {reinterpret_cast<const std::uint8_t*>(written.data()), written.size()}, area, [] { return false; });
    require(again.outcome == HexOutcome::Decoded);
    require(again.end == image.size());
    require(image.empty() || std::memcmp(area.data(), image.data(), image.size()) == 0);
    return 0;
}
