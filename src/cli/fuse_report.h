// `fuses read`: the lock level, boot lock bits, fuse bits and fuse byte values read from a chip,
// named as the device's lock/fuse layout names them.
#pragma once

#include "cli/reporter.h"
#include "devices/lock_fuse_settings.h"
#include "i18n/messages.h"

namespace tovel::cli {

void reportLockFuse(Reporter& reporter, int deviceNo, const LockFuseSettings& settings,
                    const Messages& messages);

} // namespace tovel::cli
