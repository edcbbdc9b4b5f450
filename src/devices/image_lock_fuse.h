// The lock and fuse bytes an image file carries (an AVR ELF file's .fuse and .lock sections) as
// a lock/fuse selection of a device. The toolchain stores the bytes as the chip holds them, so
// they are taken where the device's layout reads its bits back in that same form: the AVR parts
// with a lock-read instruction. Bytes the file does not carry leave those bits of the current
// selection as they are.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "devices/lock_fuse_settings.h"

namespace tovel {

// Nothing when the device's layout cannot take the bytes, or the file carries neither.
std::optional<LockFuseSettings> lockFuseFromImage(int deviceNo, const LockFuseSettings& current,
                                                  const std::optional<std::vector<std::uint8_t>>& fuse,
                                                  const std::optional<std::vector<std::uint8_t>>& lock);

} // namespace tovel
