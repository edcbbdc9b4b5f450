// Feeds arbitrary bytes to the ELF reader. Beyond not crashing, hanging or touching memory out of
// bounds (in our code or libelf's), an accepted file gives images within their memories and
// nothing half: a refused file gives no image at all.
#include <cstdint>

#include "image/elf_image.h"
#include "image/image_limits.h"

using namespace tovel;

namespace {

void require(bool condition) {
    if (!condition) __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ElfImage image = decodeElf({data, size});
    if (image.fault != ElfFault::None) {
        require(image.flash.empty() && image.eeprom.empty());
        return 0;
    }
    require(!image.flash.empty() || !image.eeprom.empty());
    require(image.flash.size() <= kMaxImageSize);
    require(image.eeprom.size() <= 0x10000);
    return 0;
}
