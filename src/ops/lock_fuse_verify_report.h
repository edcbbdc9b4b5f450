// The text of a lock/fuse verify: what the chip holds against what was expected, one line per
// difference (lock level, then each fuse bit, then each boot lock bit of the layout).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "devices/device_table.h"
#include "devices/fuse_layout.h"
#include "devices/lock_fuse_settings.h"
#include "i18n/messages.h"

namespace tovel {

// Nothing when the chip matches; otherwise "Lock&Fuse bits verify: Failed\n" and the lines.
// Only the bits the layout has are compared: a flag beyond them (from a project written for
// another chip) has no bit on this chip to match or to name.
std::optional<std::string> lockFuseDifferences(const FuseLayout& layout, SpiVariant spiVariant,
                                               const LockFuseSettings& expected, const LockFuseSettings& read,
                                               const Messages& messages);

} // namespace tovel
