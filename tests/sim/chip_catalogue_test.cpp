// Every chip of the device table can be put in the socket, with the table's memory sizes.
#include <gtest/gtest.h>

#include "devices/device_table.h"
#include "sim/chip_factory.h"

using namespace tovel;
using namespace tovel::sim;

TEST(ChipCatalogue, EveryTableRowMakesAChipOfItsSize) {
    for (int n = 0; n < DeviceTable::deviceCount(); ++n) {
        const DeviceRecord& row = DeviceTable::device(n);
        SCOPED_TRACE(row.name);
        const std::unique_ptr<Chip> chip = makeChip({row.name, std::nullopt, false});
        ASSERT_TRUE(chip);
        const ChipMemories m = chip->memories();
        if (row.family == Family::At45) {
            // The table counts 256/512/1024 bytes a page; the array has the full pages.
            EXPECT_EQ(m.flash.size(), (row.flashSize >> (7 + row.dataFlashPageShift)) * row.pageSize);
        } else if (row.family == Family::At25) {
            EXPECT_EQ(m.eeprom.size(), row.eepromSize);
            EXPECT_TRUE(m.flash.empty());
        } else {
            EXPECT_EQ(m.flash.size(), row.flashSize);
            EXPECT_EQ(m.eeprom.size(), row.eepromSize);
        }
    }
    EXPECT_TRUE(makeChip({"none", std::nullopt, false}));
    EXPECT_TRUE(makeChip({"EMPTY", std::nullopt, false}));
    EXPECT_FALSE(makeChip({"ATmega9", std::nullopt, false}));
}
