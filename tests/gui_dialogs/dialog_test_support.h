// Helpers for the dialog tests: a recording stand-in for the chip operations, and a way to act
// on a modal dialog that another dialog opens.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <QDialog>

#include "app/dialogs/lock_fuse_operations.h"

namespace tovel::test {

class FakeLockFuseOperations : public LockFuseOperations {
public:
    bool readLockFuse(LockFuseSettings& settings) override;
    bool programLockFuse(const LockFuseSettings& settings) override;
    void verifyLockFuse(const LockFuseSettings& expected) override;
    bool chipErase() override;

    // What the fake answers.
    bool readSucceeds = true;
    LockFuseSettings chipContent{};
    bool programSucceeds = true;
    bool eraseSucceeds = true;

    // What it was asked, in order: "read", "program", "verify", "erase".
    std::vector<std::string> calls;
    LockFuseSettings programmed{};
    LockFuseSettings verified{};
};

// Runs `action` on the modal dialog that opens next, as soon as it is shown. Gives up after a
// few seconds so a dialog that never opens cannot hang the test.
void whenModalDialogOpens(std::function<void(QDialog*)> action);

// A settings block with the named fuse bits of a device ticked.
LockFuseSettings withFuses(int deviceNo, std::initializer_list<const char*> names);
// The index of a fuse bit in a device's layout, -1 when it has none of that name.
int fuseIndex(int deviceNo, const char* name);

} // namespace tovel::test
