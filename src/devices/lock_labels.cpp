#include "devices/lock_labels.h"

#include <array>

#include "devices/device_table.h"
#include "devices/lock_fuse_settings.h"
#include "i18n/message_ids.h"

namespace tovel {

namespace {

constexpr std::array<unsigned, kLockLevelCount> kAvrLabels{msg::No, msg::LB1WriteProtect,
                                                           msg::LB1LB2RWProtect, msg::LB1LB2LB3AvrLabel};
constexpr std::array<unsigned, kLockLevelCount> kAt89Labels{msg::NoLocking, msg::LB1, msg::LB1LB2,
                                                            msg::LB1LB2LB3};

} // namespace

bool usesAvrLockLabels(SpiVariant spiVariant) { return spiVariant == SpiVariant::Avr; }

unsigned lockLabel(SpiVariant spiVariant, std::int32_t lockMode) {
    const auto level = static_cast<std::size_t>(normalizedLockMode(lockMode));
    return usesAvrLockLabels(spiVariant) ? kAvrLabels[level] : kAt89Labels[level];
}

int selectableLockLevels(SpiVariant spiVariant) {
    return usesAvrLockLabels(spiVariant) ? kLockLevelCount - 1 : kLockLevelCount;
}

} // namespace tovel
