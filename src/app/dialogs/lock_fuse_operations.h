// What the Lock/Fuse Bits dialog asks of the chip. The opener supplies it (the main window hands
// over the Workbench through WorkbenchLockFuseOperations); tests supply a fake, so the dialog
// runs without a board.
#pragma once

#include "devices/lock_fuse_settings.h"

namespace tovel {

class LockFuseOperations {
public:
    virtual ~LockFuseOperations() = default;

    // Fills `settings` from the chip; false when the read was abandoned.
    virtual bool readLockFuse(LockFuseSettings& settings) = 0;
    // Writes `settings` to the chip; false when no session could be opened.
    virtual bool programLockFuse(const LockFuseSettings& settings) = 0;
    // Reads the chip and reports the comparison with `expected` to the person.
    virtual void verifyLockFuse(const LockFuseSettings& expected) = 0;
    // Erases the chip; true when the erase finished with success.
    virtual bool chipErase() = 0;
};

} // namespace tovel
