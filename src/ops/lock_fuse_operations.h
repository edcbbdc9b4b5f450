// Reading, programming and verifying a chip's lock and fuse bits, each in its own programming
// session at 19200 baud for the selected device, with the busy cursor from the connect on. Used
// by the lock/fuse dialog, the "&Lock&&Fuse Bits..." command and auto-program. The operation
// status is left alone.
#pragma once

#include <functional>

#include "devices/lock_fuse_settings.h"

namespace tovel {

struct ChipContext;

// Fills `settings` from the chip (cleared first). False when the read was abandoned: no
// connection, a communication failure, or the person declined to go on with a chip of another
// signature. True otherwise, also for a chip whose bits cannot be read (`readable` 0, all 0).
bool readLockFuse(ChipContext& context, LockFuseSettings& settings);

// Writes the fuse bytes the layout has, then the lock bits (AVR: one instruction; AT89S51 style:
// one instruction per level step, 250 ms apart; other AT89S: one 3-byte instruction). A failed
// fuse byte stops there and leaves the lock bits alone. False only when no session could be
// opened (no port chosen included); failures after that are reported in boxes.
bool programLockFuse(ChipContext& context, const LockFuseSettings& settings);

// Reads the chip and shows the comparison with `expected` in a box.
void verifyLockFuse(ChipContext& context, const LockFuseSettings& expected);

// The "&Lock&&Fuse Bits..." command: for a device with lock/fuse bits, reads the chip and hands
// what was read to `openDialog` with the device row.
void lockFuseCommand(ChipContext& context,
                     const std::function<void(int deviceNo, const LockFuseSettings& read)>& openDialog);

} // namespace tovel
