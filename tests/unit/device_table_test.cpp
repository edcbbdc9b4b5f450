#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "devices/device_table.h"

using namespace tovel;

TEST(DeviceTable, HasFortyThreeRowsInFileOrderWithSaneGeometry) {
    ASSERT_EQ(DeviceTable::deviceCount(), 43);
    EXPECT_STREQ(DeviceTable::device(0).name, "ATtiny12");
    EXPECT_STREQ(DeviceTable::device(9).name, "ATmega8");
    EXPECT_STREQ(DeviceTable::device(37).name, "AT90CAN128");
    EXPECT_STREQ(DeviceTable::device(42).name, "AT45DB642");
    std::set<std::string> names;
    for (int n = 0; n < DeviceTable::deviceCount(); ++n) {
        const DeviceRecord& row = DeviceTable::device(n);
        EXPECT_TRUE(names.insert(row.name).second) << row.name;
        EXPECT_LE(row.family, 6u);
        EXPECT_GE(row.fuseLayout, 0);
        EXPECT_LE(row.fuseLayout, 32);
        if (row.family == FamilyAt45) {
            EXPECT_GE(row.eepromSize, 1u);
            EXPECT_LE(row.eepromSize, 3u);
            // The page-address shift must leave room for the page offset.
            EXPECT_LT(row.pageSize, 1u << (8 + row.eepromSize));
        } else if (row.pageSize != 0 && row.family != FamilyAt25) {
            EXPECT_EQ(row.flashSize % (row.pageSize * 2), 0u) << row.name;
        }
    }
}

TEST(DeviceTable, SignatureLookupUsesAlternativesAndIgnoresNonAtmelCodes) {
    EXPECT_EQ(DeviceTable::findBySignature(0x1E, 0x93, 0x07), 9);
    EXPECT_EQ(DeviceTable::findBySignature(0x1E, 0x95, 0x06), 20);
    EXPECT_EQ(DeviceTable::findBySignature(0x1E, 0x01, 0x02), 24);
    EXPECT_EQ(DeviceTable::findBySignature(0x1E, 0x01, 0x03), 25);
    EXPECT_EQ(DeviceTable::findBySignature(0x00, 0xFF, 0x00), -1);
    EXPECT_EQ(DeviceTable::findBySignature(0x00, 0x00, 0x00), -1);
    EXPECT_EQ(DeviceTable::findBySignature(0x1E, 0x99, 0x99), -1);
    // A locked chip answers 00 01 02: no row.
    EXPECT_EQ(DeviceTable::findBySignature(0x00, 0x01, 0x02), -1);
}

TEST(DeviceTable, DataFlashStatusLookupMasksTheDensityCode) {
    EXPECT_EQ(DeviceTable::findDataFlashByStatus(0x9C), 38);
    EXPECT_EQ(DeviceTable::findDataFlashByStatus(0xA4), 39);
    EXPECT_EQ(DeviceTable::findDataFlashByStatus(0xAC), 40);
    EXPECT_EQ(DeviceTable::findDataFlashByStatus(0xB4), 41);
    EXPECT_EQ(DeviceTable::findDataFlashByStatus(0xBC), 42);
    EXPECT_EQ(DeviceTable::findDataFlashByStatus(0xFF), -1);
    EXPECT_EQ(DeviceTable::findDataFlashByStatus(0x00), -1);
}

TEST(DeviceTable, SelectionMappingRoundTripsThroughNonContiguousFamilies) {
    const DeviceSelection can = DeviceTable::selectionFromDeviceNo(37);
    EXPECT_EQ(can.familyPos, 4);
    EXPECT_EQ(can.devicePos, 3);
    EXPECT_EQ(DeviceTable::deviceNoFromSelection(4, 3), 37);
    EXPECT_EQ(DeviceTable::deviceNoFromSelection(4, 4), -1);
    EXPECT_EQ(DeviceTable::deviceNoFromSelection(7, 0), -1);
    EXPECT_EQ(DeviceTable::deviceNoFromSelection(-1, 0), -1);
    for (int n = 0; n < DeviceTable::deviceCount(); ++n) {
        const DeviceSelection s = DeviceTable::selectionFromDeviceNo(n);
        EXPECT_EQ(DeviceTable::deviceNoFromSelection(s.familyPos, s.devicePos), n);
    }
    EXPECT_EQ(DeviceTable::devicesOfFamily(FamilyAt90), (std::vector<int>{5, 6, 7, 37}));
    EXPECT_STREQ(DeviceTable::familyName(0), "AT25...");
    EXPECT_STREQ(DeviceTable::familyName(6), "ATmega...");
}

TEST(DeviceTable, BadDeviceNumbersNeverIndexOutsideTheTable) {
    EXPECT_EQ(DeviceTable::defaultDeviceNo(), 9);
    EXPECT_FALSE(DeviceTable::isValidDeviceNo(43));
    EXPECT_FALSE(DeviceTable::isValidDeviceNo(-1));
    EXPECT_STREQ(DeviceTable::device(43).name, "ATmega8");
    EXPECT_STREQ(DeviceTable::device(-7).name, "ATmega8");
    EXPECT_EQ(DeviceTable::selectionFromDeviceNo(1000).familyPos, -1);
    EXPECT_EQ(DeviceTable::findByName("atmega2560/2561"), 25);
    EXPECT_EQ(DeviceTable::findByName("ATmega9"), -1);
}

TEST(DeviceTable, DelayCodesEncodeMilliseconds) {
    EXPECT_EQ(delayCodeFromMs(5), 0xDC);
    EXPECT_EQ(delayCodeFromMs(9), 0xC0);
    EXPECT_EQ(delayCodeFromMs(15), 0x96);
    EXPECT_EQ(delayCodeFromMs(25), 0x50);
    EXPECT_EQ(delayCodeFromMs(0), 0xFF);
}
