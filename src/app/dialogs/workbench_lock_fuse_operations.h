// The Lock/Fuse Bits dialog's operations carried out by the Workbench, for the selected device.
#pragma once

#include "app/dialogs/lock_fuse_operations.h"

namespace tovel {

class Workbench;

class WorkbenchLockFuseOperations final : public LockFuseOperations {
public:
    explicit WorkbenchLockFuseOperations(Workbench& workbench) : workbench_(workbench) {}

    bool readLockFuse(LockFuseSettings& settings) override;
    bool programLockFuse(const LockFuseSettings& settings) override;
    void verifyLockFuse(const LockFuseSettings& expected) override;
    // Success is the operation status the erase leaves: 0.
    bool chipErase() override;

private:
    Workbench& workbench_;
};

} // namespace tovel
