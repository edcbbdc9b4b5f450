#include <gtest/gtest.h>

#include "devices/device_table.h"
#include "ops/transfer_settings.h"
#include "project/project_settings.h"
#include "support/device_rows.h"

using namespace tovel;

namespace {

using test::deviceNamed;

} // namespace

TEST(TransferSettings, SerialMemoriesAreLimitedToTheirOneMemoryWhicheverBufferIsWritten) {
    EXPECT_EQ(memoryLimit(deviceNamed("ATmega8"), MemoryKind::Flash), 8192u);
    EXPECT_EQ(memoryLimit(deviceNamed("ATmega8"), MemoryKind::Eeprom), 512u);
    EXPECT_EQ(memoryLimit(deviceNamed("AT25256"), MemoryKind::Flash), 32768u);
    EXPECT_EQ(memoryLimit(deviceNamed("AT25256"), MemoryKind::Eeprom), 32768u);
    EXPECT_EQ(memoryLimit(deviceNamed("AT45DB041"), MemoryKind::Flash), 524288u);
    EXPECT_EQ(memoryLimit(deviceNamed("AT45DB041"), MemoryKind::Eeprom), 524288u);
    EXPECT_EQ(transferCount(10000, deviceNamed("ATmega8"), MemoryKind::Flash), 8192u);
    EXPECT_EQ(transferCount(100, deviceNamed("ATmega8"), MemoryKind::Flash), 100u);
}

TEST(TransferSettings, AnAt45HasNoEepromToReadIntoABuffer) {
    EXPECT_EQ(chipMemorySize(deviceNamed("AT45DB041"), MemoryKind::Eeprom), 0u);
    EXPECT_EQ(chipMemorySize(deviceNamed("AT45DB041"), MemoryKind::Flash), 524288u);
    EXPECT_EQ(chipMemorySize(deviceNamed("AT89S52"), MemoryKind::Eeprom), 0u);
    EXPECT_EQ(chipMemorySize(deviceNamed("AT25256"), MemoryKind::Eeprom), 32768u);
}

TEST(TransferSettings, TheByteDelayOverrideBecomesTheWaitCodeOnItsLowByte) {
    ProjectSettings project;
    const DeviceRecord& mega8 = deviceNamed("ATmega8");
    EXPECT_EQ(writeDelayCode(project, mega8, MemoryKind::Flash), mega8.flashWriteDelayCode);
    EXPECT_EQ(readDelayCode(project, mega8, MemoryKind::Eeprom), mega8.eepromReadDelayCode);

    project.flashByteDelayOverride = true;
    project.flashByteDelayMs = 5;
    EXPECT_EQ(writeDelayCode(project, mega8, MemoryKind::Flash), 220);
    EXPECT_EQ(readDelayCode(project, mega8, MemoryKind::Flash), 220);
    project.flashByteDelayMs = 0;
    EXPECT_EQ(writeDelayCode(project, mega8, MemoryKind::Flash), 255);
    project.flashByteDelayMs = 37;
    EXPECT_EQ(writeDelayCode(project, mega8, MemoryKind::Flash), 252);
    // The EEPROM keeps its own setting.
    EXPECT_EQ(writeDelayCode(project, mega8, MemoryKind::Eeprom), mega8.eepromWriteDelayCode);
}

TEST(TransferSettings, AHandEditedNegativePageDelayWaitsNothing) {
    ProjectSettings project;
    project.flashPageDelayOverride = true;
    project.flashPageDelayMs = -4;
    EXPECT_EQ(pageDelayMs(project, deviceNamed("ATmega8"), MemoryKind::Flash), 0u);
    EXPECT_EQ(pageDelayMs(project, deviceNamed("ATmega8"), MemoryKind::Eeprom),
              deviceNamed("ATmega8").pageWriteTimeMs);
}
