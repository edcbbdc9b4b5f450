#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "devices/device_table.h"
#include "devices/fuse_layout.h"

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
        if (row.family == Family::At45) {
            // The page-address shift must leave room for the page offset.
            EXPECT_LT(row.pageSize, 1u << (8 + row.dataFlashPageShift));
            EXPECT_GE(row.pageSize, 1u << (7 + row.dataFlashPageShift));
        } else if (row.pageSize != 0 && row.family != Family::At25) {
            EXPECT_EQ(row.flashSize % (row.pageSize * 2), 0u) << row.name;
        }
    }
}

bool isKnown(Family f) {
    for (const Family known :
         {Family::At25, Family::At45, Family::At86, Family::At89, Family::At90, Family::Tiny, Family::Mega})
        if (f == known) return true;
    return false;
}

bool isKnown(SpiVariant v) {
    for (const SpiVariant known :
         {SpiVariant::Avr, SpiVariant::At89S8252, SpiVariant::At89S53, SpiVariant::At89S51, SpiVariant::At25})
        if (v == known) return true;
    return false;
}

// A typed field still holds whatever number a row was given; every one must name something.
TEST(DeviceTable, EveryRowHoldsKnownValuesOnly) {
    for (int n = 0; n < DeviceTable::deviceCount(); ++n) {
        const DeviceRecord& row = DeviceTable::device(n);
        SCOPED_TRACE(row.name);
        EXPECT_TRUE(isKnown(row.family));
        EXPECT_TRUE(isKnown(row.spiVariant));
        EXPECT_NE(fuseLayoutAt(row.fuseLayout), nullptr) << row.fuseLayout;
        EXPECT_LE(row.boardDeviceClass, 4u);
        EXPECT_TRUE(row.calibrationBytes == 0 || row.calibrationBytes == 1 || row.calibrationBytes == 4);
        EXPECT_EQ(row.longProgEnable, 0u);
        for (const std::int32_t code : {row.flashWriteDelayCode, row.flashReadDelayCode,
                                        row.eepromWriteDelayCode, row.eepromReadDelayCode}) {
            EXPECT_GE(code, 0);
            EXPECT_LE(code, 0xFF);
        }
        // Only a DataFlash has a page shift, and only it uses the AVR variant without being an AVR.
        if (row.isDataFlash()) {
            EXPECT_GE(row.dataFlashPageShift, 1u);
            EXPECT_LE(row.dataFlashPageShift, 3u);
            EXPECT_EQ(row.eepromSize, 0u);
            EXPECT_EQ(row.spiVariant, SpiVariant::Avr);
        } else {
            EXPECT_EQ(row.dataFlashPageShift, 0u);
        }
        EXPECT_EQ(row.isSerialEeprom(), row.family == Family::At25);
        EXPECT_EQ(row.spiVariant == SpiVariant::At89S8252 || row.spiVariant == SpiVariant::At89S53 ||
                      row.spiVariant == SpiVariant::At89S51,
                  row.family == Family::At89);
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
    EXPECT_EQ(DeviceTable::devicesOfFamily(familyPosition(Family::At90)), (std::vector<int>{5, 6, 7, 37}));
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
