#include "project/project_settings.h"

namespace tovel {

void resetToNew(ProjectSettings& s) {
    s.lockFuseSelection = LockFuseSettings{};
    s.flashInvert = false;
    s.polling = false;
    s.autoErase = false;
    s.autoEmptyCheck = false;
    s.autoFlashReload = false;
    s.autoFlashProgram = false;
    s.autoFlashVerify = false;
    s.autoEepromReload = false;
    s.autoEepromProgram = false;
    s.autoEepromVerify = false;
    s.autoIncrementFlash = false;
    s.autoIncrementEeprom = false;
    s.programFuses = false;
    s.writeChangedOnly = false;
    s.autoIncAddressFlash = 0;
    s.autoIncAddressEeprom = 0;
    s.sckPeriodIndex = kStartSckPeriodIndex;
}

} // namespace tovel
