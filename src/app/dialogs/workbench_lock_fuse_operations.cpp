#include "app/dialogs/workbench_lock_fuse_operations.h"

#include "ops/chip_context.h"
#include "workbench/workbench.h"

namespace tovel {

bool WorkbenchLockFuseOperations::readLockFuse(LockFuseSettings& settings) {
    return workbench_.readLockFuse(settings) == Outcome::Ok;
}

bool WorkbenchLockFuseOperations::programLockFuse(const LockFuseSettings& settings) {
    return workbench_.programLockFuse(settings).sessionOpened;
}

void WorkbenchLockFuseOperations::verifyLockFuse(const LockFuseSettings& expected) {
    workbench_.verifyLockFuse(expected);
}

bool WorkbenchLockFuseOperations::chipErase() { return workbench_.chipErase() == Outcome::Ok; }

} // namespace tovel
