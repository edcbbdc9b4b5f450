// Chip Erase (command 1008; also a step of auto-program and of the lock/fuse dialog): erases the
// selected chip at 19200 baud, then reads its signature again on a new session to tell whether
// the erase took (a chip that stays locked did not) and names the chip found, switching the
// selection when it is another device. AT45 DataFlash is erased block by block behind the
// progress display, without a signature check. Returns the outcome and keeps it as the operation
// status: Ok when erased (also when only the confirming signature read failed), Locked for a chip
// that stays locked.
#pragma once

#include "core/outcome.h"

namespace tovel {

struct ChipContext;

Outcome chipErase(ChipContext& context);

} // namespace tovel
