// The warning before fuse settings that could lock the person out of the chip.
#include <gtest/gtest.h>

#include <string>

#include "devices/device_table.h"
#include "devices/fuse_safety_check.h"
#include "support/recording_ui.h"

using namespace tovel;
using tovel::test::RecordingUi;

namespace {

const std::string kIntro = "Warning: some of fuse bits you are going to program can make this device not "
                           "programmable by serial programmers or not operating under some conditions:";
const std::string kClockLine =
    "\nCKSELx: The clock selection fuses settings will allow the device to operate only "
    "with external clock source. Crystal resonator will not work.";
const std::string kContinue = "\nContinue?";
const std::string kRstdisblLine =
    "\n  -  RSTDISBL programmed: the RESET pin becomes an ordinary pin and the chip can no longer be "
    "programmed through this programmer (only a high-voltage programmer can undo it)";
const std::string kSpienLine =
    "\n  -  SPIEN unprogrammed: serial programming is switched off and the chip can "
    "no longer be programmed through this programmer (only a high-voltage "
    "programmer can undo it)";
const std::string kDwenLine = "\n  -  DWEN programmed: debugWIRE takes over the RESET pin and serial "
                              "programming stops working until a debugWIRE tool switches it off";

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
    EXPECT_EQ(safetyWarning(tiny12, ticked({4}), messages), kIntro + kRstdisblLine + kSpienLine + kContinue);
    // CKSEL = 0000 with SPIEN kept programmed: the clock line alone.
    EXPECT_EQ(safetyWarning(tiny12, ticked({0, 1, 2, 3, 5}), messages), kIntro + kClockLine + kContinue);
    EXPECT_EQ(safetyWarning(tiny12, ticked({0, 1, 2, 3}), messages),
              kIntro + kSpienLine + kClockLine + kContinue);
    EXPECT_EQ(safetyWarning(tiny12, ticked({0, 1, 2, 5}), messages), std::nullopt);
}

TEST(FuseSafetyCheck, ClockCheckNeedsAllFourClockSelectBits) {
    const Messages messages;
    // ATtiny15 has only CKSEL0 and CKSEL1: everything ticked but RSTDISBL is safe.
    LockFuseSettings tiny15 = allTicked();
    tiny15.fuse[2] = 0;
    EXPECT_EQ(safetyWarning(layoutNamed("ATtiny15"), tiny15, messages), std::nullopt);
    // ATtiny26 has CKSEL0..3 but no required states; RSTDISBL is named all the same.
    EXPECT_EQ(safetyWarning(layoutNamed("ATtiny26"), allTicked(), messages),
              kIntro + kRstdisblLine + kClockLine + kContinue);
    EXPECT_EQ(safetyWarning(layoutNamed("ATmega8"), ticked({0, 1, 2, 3, 13}), messages),
              kIntro + kClockLine + kContinue);
}

TEST(FuseSafetyCheck, SettingsThatTakeSerialProgrammingAwayAreNamedOnEveryChip) {
    const Messages messages;
    // The ATmega8 has no required states, yet RSTDISBL (15) programmed ends serial programming.
    EXPECT_EQ(safetyWarning(layoutNamed("ATmega8"), ticked({13, 15}), messages),
              kIntro + kRstdisblLine + kContinue);
    EXPECT_EQ(safetyWarning(layoutNamed("ATmega8"), ticked({}), messages), kIntro + kSpienLine + kContinue);
    // ATtiny13: SPIEN (7) kept, RSTDISBL (8) and DWEN (11) programmed, in fuse order.
    EXPECT_EQ(safetyWarning(layoutNamed("ATtiny13"), ticked({7, 8, 11}), messages),
              kIntro + kRstdisblLine + kDwenLine + kContinue);
    EXPECT_EQ(safetyWarning(layoutNamed("ATtiny13"), ticked({7}), messages), std::nullopt);
    // Russian names the bit too.
    const std::optional<std::string> russian =
        safetyWarning(layoutNamed("ATtiny13"), ticked({7, 11}), Messages(Language::Russian));
    ASSERT_TRUE(russian);
    EXPECT_NE(russian->find("бит DWEN запрограммирован"), std::string::npos);

    // AT89S: from LB1+LB2 on the memory can no longer be read back.
    for (const char* name : {"AT89S52", "AT89S8253"}) {
        SCOPED_TRACE(name);
        LockFuseSettings lock;
        lock.lockMode = 1;
        EXPECT_EQ(safetyWarning(layoutNamed(name), lock, messages), std::nullopt);
        lock.lockMode = 2;
        EXPECT_EQ(
            safetyWarning(layoutNamed(name), lock, messages),
            kIntro +
                "\n  -  lock level LB1+LB2: the chip's memory can no longer be read or verified until a "
                "chip erase" +
                kContinue);
        lock.lockMode = 3;
        EXPECT_NE(safetyWarning(layoutNamed(name), lock, messages)->find("LB1+LB2+LB3:"), std::string::npos);
    }
    // An AVR's lock levels are undone by a chip erase like any other: no warning.
    LockFuseSettings avrLock = ticked({13});
    avrLock.lockMode = 2;
    EXPECT_EQ(safetyWarning(layoutNamed("ATmega8"), avrLock, messages), std::nullopt);
}

TEST(FuseSafetyCheck, AskingPutsNoFirst) {
    const Messages messages;
    RecordingUi ui;
    EXPECT_TRUE(confirmLockFuseSettings(layoutNamed("ATmega8"), ticked({13}), messages, ui));
    EXPECT_TRUE(ui.questions().empty());
    ui.queueAnswer(Answer::No);
    EXPECT_FALSE(confirmLockFuseSettings(layoutNamed("ATmega8"), ticked({13, 15}), messages, ui));
    ui.queueAnswer(Answer::Yes);
    EXPECT_TRUE(confirmLockFuseSettings(layoutNamed("ATmega8"), ticked({13, 15}), messages, ui));
    ASSERT_EQ(ui.events().size(), 2u);
    EXPECT_EQ(ui.events()[0].caption, "Warning");
    EXPECT_EQ(ui.events()[0].text, kIntro + kRstdisblLine + kContinue);
}

TEST(FuseSafetyCheck, ChipsWithoutFusesNeverWarnAboutThem) {
    const Messages messages;
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
    chosen.lockMode = 1;
    chosen.readable = 1;
    chosen.bootLock[1] = 1;
    for (int n = 0; n < DeviceTable::deviceCount(); ++n) {
        const FuseLayout& layout = *layoutOf(n);
        SCOPED_TRACE(DeviceTable::device(n).name);
        const LockFuseSettings forced = applyRequiredStates(layout, chosen);
        EXPECT_EQ(safetyWarning(layout, forced, messages), std::nullopt);
        EXPECT_EQ(forced.lockMode, 1);
        EXPECT_EQ(forced.readable, 1);
        EXPECT_EQ(forced.bootLock, chosen.bootLock);
    }
}
