// The main window's refresh rules and the drop rule, as pure functions of the state.
#include <gtest/gtest.h>

#include "devices/device_table.h"
#include "support/device_rows.h"
#include "workbench/drop_rules.h"
#include "workbench/refresh_rules.h"

namespace tovel {
namespace {

using test::rowNamed;

constexpr BufferContents kBothHoldData{.flashHasData = true, .eepromHasData = true};

TEST(WorkbenchRules, CommandsFollowTheDeviceAndTheBuffers) {
    const CommandStates mega8 = commandStatesFor(rowNamed("ATmega8"), kBothHoldData);
    EXPECT_TRUE(mega8.readCalibrationBytes && mega8.readFlash && mega8.programFlash && mega8.verifyFlash);
    EXPECT_TRUE(mega8.readEeprom && mega8.programEeprom && mega8.verifyEeprom);
    EXPECT_TRUE(mega8.chipErase && mega8.blankCheck && mega8.autoProgram && mega8.readSignature &&
                mega8.sckPeriod);

    const CommandStates empty = commandStatesFor(rowNamed("ATmega8"), {});
    EXPECT_FALSE(empty.programFlash || empty.verifyFlash || empty.programEeprom || empty.verifyEeprom);
    EXPECT_TRUE(empty.readFlash && empty.readEeprom);

    const CommandStates at25 = commandStatesFor(rowNamed("AT25256"), kBothHoldData);
    EXPECT_FALSE(at25.chipErase || at25.blankCheck || at25.autoProgram || at25.readSignature);
    EXPECT_TRUE(at25.readEeprom);

    const CommandStates at45 = commandStatesFor(rowNamed("AT45DB041"), kBothHoldData);
    EXPECT_FALSE(at45.readEeprom || at45.programEeprom || at45.verifyEeprom || at45.autoProgram ||
                 at45.sckPeriod);
    EXPECT_TRUE(at45.chipErase && at45.readSignature);

    EXPECT_FALSE(commandStatesFor(rowNamed("AT89S8252"), kBothHoldData).readSignature);
    EXPECT_TRUE(commandStatesFor(rowNamed("AT89S52"), kBothHoldData).readSignature);
    EXPECT_TRUE(commandStatesFor(rowNamed("ATmega16"), kBothHoldData).readCalibrationBytes);

    const CommandStates outside = commandStatesFor(-1, {.flashHasData = true});
    EXPECT_TRUE(outside.programFlash);
    EXPECT_FALSE(outside.readFlash || outside.chipErase);
}

TEST(WorkbenchRules, TitleNamesTheProjectAndMarksChanges) {
    const Messages english;
    EXPECT_EQ(windowTitle("[Unspecified]", false, english),
              "[Unspecified] - Tovel/Tovel-U In-System Programmer 11.01");
    EXPECT_EQ(windowTitle("C:\\p\\a.tvl", true, english),
              "C:\\p\\a.tvl* - Tovel/Tovel-U In-System Programmer 11.01");
}

TEST(WorkbenchRules, DroppedFiles) {
    EXPECT_EQ(dropActionFor("/x/job.TVK", DropTarget::None), DropAction::OpenProject);
    EXPECT_EQ(dropActionFor("/x/job.tvl", DropTarget::EepromPreview), DropAction::OpenProject);
    EXPECT_EQ(dropActionFor("/x/a.hex", DropTarget::FlashPreview), DropAction::LoadFlash);
    EXPECT_EQ(dropActionFor("/x/a.hex", DropTarget::EepromPreview), DropAction::LoadEeprom);
    EXPECT_EQ(dropActionFor("/x/a.hex", DropTarget::None), DropAction::Beep);
    EXPECT_EQ(dropActionFor("/x.y/noextension", DropTarget::FlashPreview), DropAction::LoadFlash);
    EXPECT_EQ(dropActionFor("tvk", DropTarget::None), DropAction::OpenProject);
    EXPECT_EQ(dropActionFor(".hex", DropTarget::FlashPreview), DropAction::Ignore);
}

} // namespace
} // namespace tovel
