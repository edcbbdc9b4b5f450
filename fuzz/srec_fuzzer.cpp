// Feeds arbitrary text to the S-record reader: beyond not crashing, hanging or touching memory
// out of bounds, an image it accepts lies within 8 MiB, and any image written out and read
// again is unchanged (decode(encode(x)) == x), so the writer and the reader agree.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "image/image_limits.h"
#include "image/srec_decoder.h"
#include "image/srec_encoder.h"

using namespace tovel;

namespace {

void require(bool condition) {
    if (!condition) __builtin_trap();
}

std::string encoded(std::span<const std::uint8_t> image) {
    std::string text;
    require(encodeSrec(image, [&text](std::span<const char> chunk) {
        text.append(chunk.data(), chunk.size());
        return true;
    }));
    require(text.size() == srecTextLength(image.size()));
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // One image area for all runs: allocating 8 MiB per run costs the sanitizers more than the
    // decoding itself.
    static std::vector<std::uint8_t> area(kMaxImageSize);
    const SrecScan scan = decodeSrecInto({data, size}, area);
    if (scan.fault == SrecFault::None) {
        require(scan.end <= kMaxImageSize);
        const std::vector<std::uint8_t> image(area.begin(),
                                              area.begin() + static_cast<std::ptrdiff_t>(scan.end));
        const std::string text = encoded(image);
        const SrecScan again =
            decodeSrecInto({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}, area);
        require(again.fault == SrecFault::None && again.end == image.size());
        require(std::equal(image.begin(), image.end(), area.begin()));
    } else {
        require(scan.line <= size + 1);
    }
    // The input itself as an image.
    const std::string text = encoded({data, size});
    const SrecScan back =
        decodeSrecInto({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}, area);
    require(back.fault == SrecFault::None && back.end == size);
    require(std::equal(data, data + size, area.begin()));
    return 0;
}
