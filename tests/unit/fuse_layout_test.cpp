// Checks over the whole layout table, so a slip in one row of the constant data shows up here.
#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <set>
#include <string>

#include "devices/device_table.h"
#include "devices/fuse_layout.h"

using namespace tovel;

namespace {

const FuseLayout& layoutNamed(const char* deviceName) {
    const int deviceNo = DeviceTable::findByName(deviceName);
    const FuseLayout* layout = layoutOf(deviceNo);
    EXPECT_NE(layout, nullptr) << deviceName;
    static const FuseLayout kNone{};
    return layout != nullptr ? *layout : kNone;
}

} // namespace

TEST(FuseLayoutTable, EveryDeviceRowHasALayoutAndOnlyUnreferencedIndexesAreEmpty) {
    std::set<int> referenced;
    for (int n = 0; n < DeviceTable::deviceCount(); ++n) {
        const FuseLayout* layout = layoutOf(n);
        ASSERT_NE(layout, nullptr) << DeviceTable::device(n).name;
        EXPECT_EQ(layout, fuseLayoutAt(DeviceTable::device(n).fuseLayout));
        referenced.insert(DeviceTable::device(n).fuseLayout);
    }
    const std::set<int> unused{2, 3, 5, 6, 7, 9, 15, 31};
    for (int index = 0; index < kFuseLayoutCount; ++index) {
        EXPECT_EQ(fuseLayoutAt(index) == nullptr, unused.count(index) == 1) << "layout " << index;
        EXPECT_EQ(referenced.count(index) == 1, unused.count(index) == 0) << "layout " << index;
    }
}

TEST(FuseLayoutTable, OutOfRangeNumbersGiveNoLayout) {
    for (int bad : {-1, 43, 1000, INT_MIN, INT_MAX}) EXPECT_EQ(layoutOf(bad), nullptr) << bad;
    for (int bad : {-1, 33, INT_MIN, INT_MAX}) EXPECT_EQ(fuseLayoutAt(bad), nullptr) << bad;
    const FuseLayout& mega8 = layoutNamed("ATmega8");
    for (int k : {0, 4, -1, INT_MAX}) EXPECT_FALSE(mega8.fuseByte(k).has_value()) << k;
}

TEST(FuseLayoutTable, FuseBitCountsMatchTheBitListsOfEachLayout) {
    const std::map<int, int> expected{{0, 0},   {1, 0},   {4, 6},   {8, 8},   {10, 18}, {11, 7},  {12, 16},
                                      {13, 16}, {14, 13}, {16, 16}, {17, 16}, {18, 16}, {19, 20}, {20, 18},
                                      {21, 20}, {22, 0},  {23, 13}, {24, 17}, {25, 17}, {26, 19}, {27, 0},
                                      {28, 0},  {29, 20}, {30, 19}, {32, 19}};
    for (const auto& [index, count] : expected) {
        const FuseLayout* layout = fuseLayoutAt(index);
        ASSERT_NE(layout, nullptr) << index;
        EXPECT_EQ(layout->fuseCount, count) << "layout " << index;
    }
}

TEST(FuseLayoutTable, FuseBitsRunInDialogOrderOverBytesThatExist) {
    for (int index = 0; index < kFuseLayoutCount; ++index) {
        const FuseLayout* layout = fuseLayoutAt(index);
        if (layout == nullptr) continue;
        SCOPED_TRACE("layout " + std::to_string(index));
        ASSERT_GE(layout->fuseCount, 0);
        ASSERT_LE(layout->fuseCount, kMaxFuseBits);
        EXPECT_EQ(layout->fuseByte(1).has_value(), layout->fuseCount > 0);
        std::set<std::string> names;
        std::set<int> bytesCarryingBits;
        int previousPosition = -1;
        for (int i = 0; i < layout->fuseCount; ++i) {
            const FuseBit& bit = layout->fuseBits[static_cast<std::size_t>(i)];
            ASSERT_NE(bit.name, nullptr) << i;
            EXPECT_TRUE(names.insert(bit.name).second) << bit.name;
            EXPECT_TRUE(layout->fuseByte(bit.fuseByte).has_value()) << bit.name;
            EXPECT_LT(bit.bit, 8) << bit.name;
            // Strictly ascending (byte, bit) means no two bits share a place and the order is binding.
            const int position = bit.fuseByte * 8 + bit.bit;
            EXPECT_GT(position, previousPosition) << bit.name;
            previousPosition = position;
            bytesCarryingBits.insert(bit.fuseByte);
        }
        for (int k = 1; k <= kFuseByteCount; ++k)
            EXPECT_EQ(layout->fuseByte(k).has_value(), bytesCarryingBits.count(k) == 1) << "fuse byte " << k;
        for (int i = layout->fuseCount; i < kMaxFuseBits; ++i)
            EXPECT_EQ(layout->fuseBits[static_cast<std::size_t>(i)].name, nullptr);
    }
}

TEST(FuseLayoutTable, LockAndBootLockBitsNeverShareAPlace) {
    for (int index = 0; index < kFuseLayoutCount; ++index) {
        const FuseLayout* layout = fuseLayoutAt(index);
        if (layout == nullptr) continue;
        SCOPED_TRACE("layout " + std::to_string(index));
        ASSERT_TRUE(layout->bootLockCount == 0 || layout->bootLockCount == kMaxBootLockBits);
        std::set<int> written;
        std::set<int> read;
        for (const InstructionBit& lb : layout->lockWriteBits) {
            if (!lb.present()) continue;
            EXPECT_LE(lb.byte, 4);
            EXPECT_LT(lb.bit, 8);
            EXPECT_TRUE(written.insert(lb.byte * 8 + lb.bit).second);
        }
        if (layout->lockRead) {
            for (int bit : layout->lockRead->bits) {
                if (bit != kNoBit) {
                    EXPECT_TRUE(read.insert(bit).second) << bit;
                }
            }
        }
        for (int i = 0; i < layout->bootLockCount; ++i) {
            const BootLockBit& boot = layout->bootLockBits[static_cast<std::size_t>(i)];
            EXPECT_TRUE(written.insert(4 * 8 + boot.bit).second) << boot.name;
            EXPECT_TRUE(read.insert(boot.bit).second) << boot.name;
            // Boot lock bits are only meaningful where the lock byte can be read back.
            EXPECT_TRUE(layout->hasLockRead());
        }
    }
}

TEST(FuseLayoutTable, NamedBitsSitWhereTheChipsHaveThem) {
    const FuseLayout& mega162 = layoutNamed("ATmega162");
    ASSERT_EQ(mega162.fuseCount, 20);
    const FuseBit& bodlevel0 = mega162.fuseBits[16];
    EXPECT_STREQ(bodlevel0.name, "BODLEVEL0");
    EXPECT_EQ(bodlevel0.fuseByte, 3);
    EXPECT_EQ(bodlevel0.bit, 1);
    const FuseBit& m161c = mega162.fuseBits[19];
    EXPECT_STREQ(m161c.name, "M161C");
    EXPECT_EQ(m161c.fuseByte, 3);
    EXPECT_EQ(m161c.bit, 4);

    const FuseLayout& tiny15 = layoutNamed("ATtiny15");
    EXPECT_STREQ(tiny15.fuseBits[2].name, "RSTDISBL");
    EXPECT_EQ(tiny15.fuseBits[2].bit, 4);
    EXPECT_EQ(tiny15.fuseBits[2].required, RequiredState::MustBeUnprogrammed);
    EXPECT_EQ(tiny15.fuseBits[3].required, RequiredState::MustBeProgrammed);

    const FuseLayout& mega8 = layoutNamed("ATmega8");
    EXPECT_STREQ(mega8.bootLockBits[2].name, "BLB11");
    EXPECT_EQ(mega8.bootLockBits[2].bit, 4);
}
