// The warning before fuse settings that could lock the person out of the chip.
#include <gtest/gtest.h>

#include <string>

#include "devices/device_table.h"
#include "devices/fuse_safety_check.h"

using namespace tovel;

namespace {

const std::string kIntro = "Warning: some of fuse bits you are going to program can make this device not "
                           "programmable by serial programmers or not operating under some conditions:";
const std::string kClockLine =
    "\nCKSELx: The clock selection fuses settings will allow the device to operate only "
    "with external clock source. Crystal resonator will not work.";
const std::string kContinue = "\nContinue?";

const FuseLayout& layoutNamed(const char* deviceName) {
    return *layoutOf(DeviceTable::findByName(deviceName));
}

LockFuseSettings ticked(std::initializer_list<int> indexes) {
    LockFuseSettings settings;
    for (int i : indexes) settings.fuse[static_cast<std::size_t>(i)] = 1;
    return settings;
}

LockFuseSettings allTicked() {
    LockFuseSettings settings;
    settings.fuse.fill(1);
    return settings;
}

} // namespace

TEST(FuseSafetyCheck, ListsRequiredStateLinesInFuseOrderThenTheClockLine) {
    const Messages messages;
    const FuseLayout& tiny12 = layoutNamed("ATtiny12");
    // RSTDISBL (4) ticked, SPIEN (5) not.
    EXPECT_EQ(safetyWarning(tiny12, ticked({4}), messages),
              kIntro + "\n  -  RSTDISBL should be unprogrammed" + "\n  -  SPIEN should be programmed" +
                  kContinue);
    // CKSEL = 0000 with SPIEN kept programmed: the clock line alone.
    EXPECT_EQ(safetyWarning(tiny12, ticked({0, 1, 2, 3, 5}), messages), kIntro + kClockLine + kContinue);
    EXPECT_EQ(safetyWarning(tiny12, ticked({0, 1, 2, 3}), messages),
              kIntro + "\n  -  SPIEN should be programmed" + kClockLine + kContinue);
    EXPECT_EQ(safetyWarning(tiny12, ticked({0, 1, 2, 5}), messages), std::nullopt);
}

TEST(FuseSafetyCheck, ClockCheckNeedsAllFourClockSelectBits) {
    const Messages messages;
    // ATtiny15 has only CKSEL0 and CKSEL1: everything ticked but RSTDISBL is safe.
    LockFuseSettings tiny15 = allTicked();
    tiny15.fuse[2] = 0;
    EXPECT_EQ(safetyWarning(layoutNamed("ATtiny15"), tiny15, messages), std::nullopt);
    // ATtiny26 has CKSEL0..3 but no required states.
    EXPECT_EQ(safetyWarning(layoutNamed("ATtiny26"), allTicked(), messages), kIntro + kClockLine + kContinue);
    EXPECT_EQ(safetyWarning(layoutNamed("ATmega8"), ticked({0, 1, 2, 3, 13}), messages),
              kIntro + kClockLine + kContinue);
}

TEST(FuseSafetyCheck, ChipsWithoutRequiredStatesOrFusesNeverWarnAboutThem) {
    const Messages messages;
    EXPECT_EQ(safetyWarning(layoutNamed("ATtiny13"), LockFuseSettings{}, messages), std::nullopt);
    EXPECT_EQ(safetyWarning(layoutNamed("ATtiny13"), allTicked(), messages), std::nullopt);
    EXPECT_EQ(safetyWarning(layoutNamed("ATtiny26"), LockFuseSettings{}, messages), std::nullopt);
    for (int n = 0; n < DeviceTable::deviceCount(); ++n) {
        const FuseLayout& layout = *layoutOf(n);
        if (layout.fuseCount != 0) continue;
        EXPECT_EQ(safetyWarning(layout, allTicked(), messages), std::nullopt) << DeviceTable::device(n).name;
        EXPECT_EQ(safetyWarning(layout, LockFuseSettings{}, messages), std::nullopt)
            << DeviceTable::device(n).name;
    }
}

TEST(FuseSafetyCheck, FlagsBeyondTheLayoutsBitsAreIgnored) {
    LockFuseSettings settings = ticked({13}); // SPIEN of the ATmega8
    for (std::size_t i = 16; i < settings.fuse.size(); ++i) settings.fuse[i] = 1;
    EXPECT_EQ(safetyWarning(layoutNamed("ATmega8"), settings, Messages{}), std::nullopt);
}

TEST(RequiredStates, ForcedSettingsPassTheCheckOnEveryDevice) {
    const Messages messages;
    const LockFuseSettings tiny12 = applyRequiredStates(layoutNamed("ATtiny12"), allTicked());
    EXPECT_EQ(tiny12.fuse[4], 0); // RSTDISBL
    EXPECT_EQ(tiny12.fuse[5], 1); // SPIEN
    EXPECT_EQ(tiny12.fuse[6], 1); // untouched

    LockFuseSettings chosen;
    chosen.lockMode = 2;
    chosen.readable = 1;
    chosen.bootLock[1] = 1;
    for (int n = 0; n < DeviceTable::deviceCount(); ++n) {
        const FuseLayout& layout = *layoutOf(n);
        SCOPED_TRACE(DeviceTable::device(n).name);
        const LockFuseSettings forced = applyRequiredStates(layout, chosen);
        EXPECT_EQ(safetyWarning(layout, forced, messages), std::nullopt);
        EXPECT_EQ(forced.lockMode, 2);
        EXPECT_EQ(forced.readable, 1);
        EXPECT_EQ(forced.bootLock, chosen.bootLock);
    }
}
