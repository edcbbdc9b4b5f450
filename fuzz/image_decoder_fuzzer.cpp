// Feeds arbitrary file contents to the image decoder. Beyond not crashing, hanging or touching
// memory out of bounds, it checks what a person would notice: the checksum question at most
// once, an image only when the whole text decoded, HEX images within 8 MiB, a HEX image written
// out and read again unchanged, and the input itself taken as an image surviving encode and
// decode: decode(encode(x)) == x.
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

std::string encoded(std::span<const std::uint8_t> image) {
    std::string written;
    require(encodeHex(image, [&](std::span<const char> chunk) {
        written.append(chunk.data(), chunk.size());
        return true;
    }));
    require(written.size() == hexTextLength(image.size()));
    return written;
}

// The HEX text of `image` decodes to exactly `image`.
void requireRoundTrip(std::span<const std::uint8_t> image, std::span<std::uint8_t> area) {
    const std::string written = encoded(image);
    const HexScan again = decodeHexInto(
        {reinterpret_cast<const std::uint8_t*>(written.data()), written.size()}, area, [] { return false; });
    require(again.outcome == HexOutcome::Decoded);
    require(again.end == image.size());
    require(image.empty() || std::memcmp(area.data(), image.data(), image.size()) == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // One image area for all runs: allocating and freeing 8 MiB per run costs the sanitizers
    // far more than the decoding itself.
    static std::vector<std::uint8_t> area(kMaxImageSize);
    const std::span<const std::uint8_t> text(data, size);

    // The input as an image.
    if (size <= 64 * 1024) requireRoundTrip(text, area);

    // The input as a HEX text. The answer to the checksum question follows the length, so both
    // answers get explored.
    const bool acceptBadChecksum = size % 2 == 1;
    int questions = 0;
    DecodedImage decoded = decodeImage(
        text, ImageFormat::Hex,
        [&] {
            ++questions;
            return acceptBadChecksum;
        },
        area);
    require(questions <= 1);
    require(decoded.image.has_value() == (decoded.status == DecodeStatus::Decoded));
    require((decoded.status == DecodeStatus::HexError) ==
            (decoded.error.kind != ImageErrorKind::None && decoded.status != DecodeStatus::ChecksumDeclined));
    if (!decoded.image) return 0;
    const ByteBlock image = std::move(*decoded.image);
    require(image.size() <= kMaxImageSize);
    if (image.size() <= 64 * 1024) requireRoundTrip(image.span(), area);
    return 0;
}
