#include "devices/image_lock_fuse.h"

#include "devices/device_table.h"
#include "devices/fuse_layout.h"
#include "devices/lock_fuse_codec.h"

namespace tovel {

std::optional<LockFuseSettings> lockFuseFromImage(int deviceNo, const LockFuseSettings& current,
                                                  const std::optional<std::vector<std::uint8_t>>& fuse,
                                                  const std::optional<std::vector<std::uint8_t>>& lock) {
    if (!fuse && !lock) return std::nullopt;
    const FuseLayout* layout = layoutOf(deviceNo);
    if (layout == nullptr || !layout->hasLockRead() ||
        DeviceTable::device(deviceNo).spiVariant != SpiVariant::Avr)
        return std::nullopt;
    // More bytes than the layout knows would be programmed nowhere: the file is for another chip.
    if ((fuse && (fuse->empty() || fuse->size() > kFuseByteCount)) || (lock && lock->size() != 1))
        return std::nullopt;

    FuseByteValues fuseBytes{0xFF, 0xFF, 0xFF};
    if (fuse)
        for (std::size_t k = 0; k < fuse->size(); ++k) fuseBytes[k] = (*fuse)[k];
    const DecodedLockFuse decoded = decodeRead(*layout, lock ? lock->front() : std::uint8_t{0xFF}, fuseBytes);
    if (decoded.unrecognizedLockBits) return std::nullopt;

    LockFuseSettings settings = current;
    settings.readable = decoded.settings.readable;
    if (fuse) settings.fuse = decoded.settings.fuse;
    if (lock) {
        settings.lockMode = decoded.settings.lockMode;
        settings.bootLock = decoded.settings.bootLock;
    }
    return settings;
}

} // namespace tovel
