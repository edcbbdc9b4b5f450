// Reading, programming and verifying a chip's lock and fuse bits, each in its own programming
// session at 19200 baud for the selected device, with the busy cursor from the connect on. Used
// by the lock/fuse dialog, the "&Lock&&Fuse Bits..." command and auto-program. The operation
// status is left alone.
#pragma once

#include <functional>

#include "core/outcome.h"
#include "devices/lock_fuse_settings.h"

namespace tovel {

struct ChipContext;

// Fills `settings` from the chip (cleared first). Ok unless the read was abandoned: Connection (no
// connection, a communication failure) or WrongChip (the person declined to go on with a chip of
// another signature). Ok also for a chip whose bits cannot be read (`readable` 0, all 0).
Outcome readLockFuse(ChipContext& context, LockFuseSettings& settings);

struct LockFuseWrite {
    Outcome outcome = Outcome::Failed; // Ok, Connection, or Failed when the chip refused a byte
    bool sessionOpened = false;        // false: nothing was sent (no port, or no session)
};

// Writes the fuse bytes the layout has, then the lock bits (AVR: one instruction; AT89S51 style:
// one instruction per level step, 250 ms apart; other AT89S: one 3-byte instruction). A failed
// fuse byte stops there and leaves the lock bits alone. Failures once a session is open are
// reported in boxes.
LockFuseWrite programLockFuse(ChipContext& context, const LockFuseSettings& settings);

// Reads the chip and shows the comparison with `expected` in a box. VerifyMismatch when the bits
// differ; Failed for a chip whose bits cannot be read.
Outcome verifyLockFuse(ChipContext& context, const LockFuseSettings& expected);

// The "&Lock&&Fuse Bits..." command: for a device with lock/fuse bits, reads the chip and hands
// what was read to `openDialog` with the device row. The outcome of the read.
Outcome lockFuseCommand(ChipContext& context,
                        const std::function<void(int deviceNo, const LockFuseSettings& read)>& openDialog);

} // namespace tovel
