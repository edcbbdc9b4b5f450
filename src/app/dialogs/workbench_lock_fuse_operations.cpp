#include "app/dialogs/workbench_lock_fuse_operations.h"

#include "ops/chip_context.h"
#include "workbench/workbench.h"

namespace tovel {

bool WorkbenchLockFuseOperations::readLockFuse(LockFuseSettings& settings) {
    return workbench_.readLockFuse(settings);
}

bool WorkbenchLockFuseOperations::programLockFuse(const LockFuseSettings& settings) {
    return workbench_.programLockFuse(settings);
}

void WorkbenchLockFuseOperations::verifyLockFuse(const LockFuseSettings& expected) {
    workbench_.verifyLockFuse(expected);
}

bool WorkbenchLockFuseOperations::chipErase() {
    workbench_.chipErase();
    return workbench_.state().operationStatus == 0;
}

} // namespace tovel
