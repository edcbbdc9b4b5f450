// Chip Erase (command 1008; also a step of auto-program and of the lock/fuse dialog): erases the
// selected chip at 19200 baud, then reads its signature again on a new session to tell whether
// the erase took (a chip that stays locked did not) and names the chip found, switching the
// selection when it is another device. AT45 DataFlash is erased block by block behind the
// progress display, without a signature check. Sets the operation status: 0 erased, -1 otherwise.
#pragma once

namespace tovel {

struct ChipContext;

void chipErase(ChipContext& context);

} // namespace tovel
