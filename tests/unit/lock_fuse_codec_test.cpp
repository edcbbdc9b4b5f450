// The bytes that go to the chip for a selection, and the selection read back from the chip's bytes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "devices/device_table.h"
#include "devices/lock_fuse_codec.h"

using namespace tovel;

namespace {

struct Device {
    int no;
    const DeviceRecord& record;
    const FuseLayout& layout;
};

Device device(const char* name) {
    const int no = DeviceTable::findByName(name);
    EXPECT_GE(no, 0) << name;
    const FuseLayout* layout = layoutOf(no);
    EXPECT_NE(layout, nullptr) << name;
    return {no, DeviceTable::device(no), *layout};
}

LockFuseSettings atLevel(std::int32_t level) {
    LockFuseSettings settings;
    settings.lockMode = level;
    return settings;
}

std::vector<SpiInstruction> lockFor(const Device& d, const LockFuseSettings& settings) {
    return encodeLock(d.layout, d.record.spiVariant, settings);
}

SpiInstruction four(std::uint8_t b1, std::uint8_t b2, std::uint8_t b3, std::uint8_t b4) {
    return {{b1, b2, b3, b4}, 4};
}
SpiInstruction three(std::uint8_t b1, std::uint8_t b2, std::uint8_t b3) { return {{b1, b2, b3, 0}, 3}; }

// An AVR chip after it has executed the lock write: its lock byte as the lock-read instruction returns it.
std::uint8_t avrLockByteAfter(const FuseLayout& layout, const std::vector<SpiInstruction>& writes) {
    std::uint8_t lockByte = 0xFF; // erased chip
    for (const SpiInstruction& write : writes) {
        for (int lb : {Lb1, Lb2}) {
            const InstructionBit where = layout.lockWriteBits[static_cast<std::size_t>(lb)];
            const int readBit = layout.lockRead->bits[static_cast<std::size_t>(lb)];
            if (((write.bytes[where.byte - 1u] >> where.bit) & 1u) == 0)
                lockByte = static_cast<std::uint8_t>(lockByte & ~(1u << readBit));
        }
        for (int i = 0; i < layout.bootLockCount; ++i) {
            const int bit = layout.bootLockBits[static_cast<std::size_t>(i)].bit;
            if (((write.bytes[3] >> bit) & 1u) == 0)
                lockByte = static_cast<std::uint8_t>(lockByte & ~(1u << bit));
        }
    }
    return lockByte;
}

// An AT89S51-style chip: the low bits of byte 2 select the lock mode, which sets one more lock bit.
std::uint8_t steppedLockByteAfter(const std::vector<SpiInstruction>& writes) {
    std::uint8_t lockByte = 0x00;
    for (const SpiInstruction& write : writes) {
        const unsigned mode = write.bytes[1] & 0x03u;
        if (mode != 0) lockByte = static_cast<std::uint8_t>(lockByte | (1u << (mode + 1)));
    }
    return lockByte;
}

FuseByteValues fuseBytesAfter(const std::vector<FuseByteWrite>& writes) {
    FuseByteValues values{0xFF, 0xFF, 0xFF};
    for (const FuseByteWrite& write : writes)
        values[static_cast<std::size_t>(write.fuseByte - 1)] = write.instruction[3];
    return values;
}

} // namespace

TEST(LockProcedure, IsChosenByTheCommandSetVariant) {
    EXPECT_EQ(lockProcedureFor(SpiVariant::Avr), LockProcedure::Avr);
    EXPECT_EQ(lockProcedureFor(SpiVariant::At89S51), LockProcedure::Stepped);
    for (const SpiVariant variant : {SpiVariant::At89S8252, SpiVariant::At89S53, SpiVariant::At25})
        EXPECT_EQ(lockProcedureFor(variant), LockProcedure::ThreeByte);
}

TEST(AvrLockEncoding, PutsLockLevelAndBootLockBitsIntoOneInstruction) {
    const Device mega8 = device("ATmega8");
    LockFuseSettings settings = atLevel(1);
    settings.bootLock[2] = 1; // BLB11
    EXPECT_EQ(lockFor(mega8, settings), std::vector<SpiInstruction>{four(0xAC, 0xFF, 0xFF, 0xEE)});

    EXPECT_EQ(lockFor(mega8, atLevel(2)), std::vector<SpiInstruction>{four(0xAC, 0xFF, 0xFF, 0xFC)});
    // The AVR chips have no LB3: level 3 writes what level 2 writes.
    EXPECT_EQ(lockFor(mega8, atLevel(3)), lockFor(mega8, atLevel(2)));

    LockFuseSettings bootOnly = atLevel(0);
    bootOnly.bootLock[0] = 1; // BLB01
    EXPECT_EQ(lockFor(mega8, bootOnly), std::vector<SpiInstruction>{four(0xAC, 0xFF, 0xFF, 0xFB)});
}

TEST(AvrLockEncoding, WritesNothingWhenThereIsNothingToLock) {
    EXPECT_TRUE(lockFor(device("ATmega8"), atLevel(0)).empty());
    // Stale boot lock flags of a layout without boot lock bits do not count.
    LockFuseSettings stale = atLevel(0);
    stale.bootLock.fill(1);
    EXPECT_TRUE(lockFor(device("ATtiny13"), stale).empty());
}

TEST(AvrLockEncoding, TinyAndClassicSchemesUseByteTwo) {
    EXPECT_EQ(lockFor(device("ATtiny12"), atLevel(1)),
              std::vector<SpiInstruction>{four(0xAC, 0xFD, 0x00, 0x00)});
    EXPECT_EQ(lockFor(device("ATtiny15"), atLevel(2)),
              std::vector<SpiInstruction>{four(0xAC, 0xF9, 0x00, 0x00)});
    EXPECT_EQ(lockFor(device("AT90S2313"), atLevel(1)),
              std::vector<SpiInstruction>{four(0xAC, 0xE4, 0x00, 0x00)});
    EXPECT_EQ(lockFor(device("AT86RF401"), atLevel(2)),
              std::vector<SpiInstruction>{four(0xAC, 0xE0, 0x00, 0x00)});
}

TEST(SteppedLockEncoding, SendsOneInstructionPerLevelStep) {
    const Device s52 = device("AT89S52");
    EXPECT_EQ(lockFor(s52, atLevel(3)),
              (std::vector<SpiInstruction>{four(0xAC, 0xE1, 0x00, 0xFF), four(0xAC, 0xE2, 0x00, 0xFF),
                                           four(0xAC, 0xE3, 0x00, 0xFF)}));
    EXPECT_EQ(lockFor(s52, atLevel(1)), std::vector<SpiInstruction>{four(0xAC, 0xE1, 0x00, 0xFF)});
    EXPECT_TRUE(lockFor(s52, atLevel(0)).empty());
    // The four-byte chips with the three-byte layout step through their own instruction, not the
    // layout's template (which would send AC FF FF FF, an instruction they ignore).
    for (const char* name : {"AT89S2051", "AT89S4051", "AT89S8253"})
        EXPECT_EQ(lockFor(device(name), atLevel(2)),
                  (std::vector<SpiInstruction>{four(0xAC, 0xE1, 0x00, 0xFF), four(0xAC, 0xE2, 0x00, 0xFF)}))
            << name;
}

TEST(SteppedLockEncoding, ALevelFromADamagedProjectCannotMultiplySteps) {
    const Device s51 = device("AT89S51");
    EXPECT_EQ(lockFor(s51, atLevel(7)), lockFor(s51, atLevel(3)));
    EXPECT_EQ(lockFor(s51, atLevel(1000000)).size(), 3u);
    EXPECT_TRUE(lockFor(s51, atLevel(-4)).empty());
}

TEST(ThreeByteLockEncoding, FillsTheLockSlotsFromLb3Down) {
    for (const char* name : {"AT89S8252", "AT89S53"}) {
        SCOPED_TRACE(name);
        const Device d = device(name);
        const std::uint8_t expected[] = {0xFF, 0x7F, 0x3F, 0x1F};
        for (int level = 0; level < 4; ++level)
            EXPECT_EQ(lockFor(d, atLevel(level)),
                      std::vector<SpiInstruction>{three(0xAC, expected[level], 0xFF)})
                << level;
    }
    // The serial EEPROMs take this procedure with the classic layout, whose LB3 sits in byte 1.
    const Device at25 = device("AT25256");
    EXPECT_EQ(lockFor(at25, atLevel(0)), std::vector<SpiInstruction>{three(0xAD, 0xE6, 0x00)});
    EXPECT_EQ(lockFor(at25, atLevel(3)), std::vector<SpiInstruction>{three(0xAC, 0xE0, 0x00)});
}

TEST(FuseEncoding, SetsEachNamedBitAndKeepsTheTemplateElsewhere) {
    const Device mega8 = device("ATmega8");
    LockFuseSettings settings;
    settings.fuse[13] = 1; // SPIEN
    settings.fuse[0] = 1;  // CKSEL0
    EXPECT_EQ(encodeFuses(mega8.layout, settings),
              (std::vector<FuseByteWrite>{{1, {0xAC, 0xA0, 0xFF, 0xFE}}, {2, {0xAC, 0xA8, 0xFF, 0xDF}}}));
    EXPECT_FALSE(encodeFuseByte(mega8.layout, 3, settings).has_value());

    // Bits 2 and 3 of the ATtiny15 fuse byte are not carried and stay as the template has them.
    LockFuseSettings all;
    all.fuse.fill(1);
    EXPECT_EQ(encodeFuseByte(device("ATtiny15").layout, 1, all), (SpiBytes4{0xAC, 0xBF, 0xFF, 0x0C}));
    EXPECT_EQ(encodeFuseByte(device("ATmega168").layout, 2, LockFuseSettings{}),
              (SpiBytes4{0xAC, 0xA8, 0x00, 0xFF}));
    EXPECT_EQ(encodeFuseByte(device("ATmega162").layout, 3, all), (SpiBytes4{0xAC, 0xA4, 0xFF, 0xE1}));
}

TEST(FuseEncoding, LayoutsWithoutFusesProduceNoFuseInstruction) {
    LockFuseSettings all;
    all.fuse.fill(1);
    for (int n = 0; n < DeviceTable::deviceCount(); ++n) {
        const FuseLayout& layout = *layoutOf(n);
        if (layout.fuseCount != 0) continue;
        SCOPED_TRACE(DeviceTable::device(n).name);
        EXPECT_TRUE(encodeFuses(layout, all).empty());
        for (int k = 1; k <= 3; ++k) EXPECT_FALSE(encodeFuseByte(layout, k, all).has_value());
        EXPECT_TRUE(readInstructions(layout).fuses.empty());
    }
}

TEST(ReadInstructions, ListTheLockByteThenTheFuseBytesThatExist) {
    const LockFuseReadPlan mega162 = readInstructions(device("ATmega162").layout);
    EXPECT_EQ(mega162.lock, (SpiBytes3{0x58, 0x00, 0x00}));
    EXPECT_EQ(mega162.fuses, (std::vector<FuseByteRead>{
                                 {1, {0x50, 0x00, 0x00}}, {2, {0x58, 0x08, 0x00}}, {3, {0x50, 0x08, 0x00}}}));

    const LockFuseReadPlan mega161 = readInstructions(device("ATmega161").layout);
    EXPECT_EQ(mega161.lock, (SpiBytes3{0x58, 0xFF, 0xFF}));
    EXPECT_EQ(mega161.fuses, (std::vector<FuseByteRead>{{1, {0x50, 0xFF, 0xFF}}}));

    const LockFuseReadPlan s51 = readInstructions(device("AT89S51").layout);
    EXPECT_EQ(s51.lock, (SpiBytes3{0x24, 0x00, 0x00}));
    EXPECT_TRUE(s51.fuses.empty());

    for (const char* unreadable :
         {"AT90S2313", "AT86RF401", "AT89S8252", "AT89S8253", "AT25256", "AT45DB041"}) {
        const LockFuseReadPlan plan = readInstructions(device(unreadable).layout);
        EXPECT_FALSE(plan.lock.has_value()) << unreadable;
        EXPECT_TRUE(plan.fuses.empty()) << unreadable;
    }
}

TEST(LockDecoding, AvrLockByteGivesTheLevelAndFlagsTheImpossibleCombination) {
    const FuseLayout& mega8 = device("ATmega8").layout;
    const FuseByteValues erased{0xFF, 0xFF, 0xFF};
    struct Case {
        std::uint8_t lockByte;
        std::int32_t level;
        bool notice;
    };
    for (const Case& c :
         {Case{0xFF, 0, false}, Case{0xFE, 1, false}, Case{0xFC, 2, false}, Case{0xFD, 0, true}}) {
        const DecodedLockFuse decoded = decodeRead(mega8, c.lockByte, erased);
        EXPECT_EQ(decoded.settings.lockMode, c.level) << int(c.lockByte);
        EXPECT_EQ(decoded.unrecognizedLockBits, c.notice) << int(c.lockByte);
        EXPECT_EQ(decoded.settings.readable, 1);
    }
    const DecodedLockFuse boot = decodeRead(mega8, 0xEF, erased);
    EXPECT_EQ(boot.settings.bootLock[2], 1);
    EXPECT_EQ(boot.settings.bootLock[0] + boot.settings.bootLock[1] + boot.settings.bootLock[3], 0);
    // ATtiny12 reports LB1 and LB2 at bits 1 and 2.
    EXPECT_EQ(decodeRead(device("ATtiny12").layout, 0xFD, erased).settings.lockMode, 1);
}

TEST(LockDecoding, SteppedLockByteGivesTheHighestLevelSet) {
    const FuseLayout& s51 = device("AT89S51").layout;
    const FuseByteValues none{};
    EXPECT_EQ(decodeRead(s51, 0x0C, none).settings.lockMode, 2);
    EXPECT_EQ(decodeRead(s51, 0x1C, none).settings.lockMode, 3);
    EXPECT_EQ(decodeRead(s51, 0x10, none).settings.lockMode, 3);
    EXPECT_EQ(decodeRead(s51, 0x04, none).settings.lockMode, 1);
    EXPECT_EQ(decodeRead(s51, 0xE3, none).settings.lockMode, 0);
    EXPECT_FALSE(decodeRead(s51, 0x08, none).unrecognizedLockBits);
}

TEST(LockDecoding, UnreadableLayoutGivesAClearedBlock) {
    const DecodedLockFuse decoded = decodeRead(device("AT90S2313").layout, 0x00, {0x00, 0x00, 0x00});
    EXPECT_EQ(decoded.settings, LockFuseSettings{});
    EXPECT_FALSE(decoded.unrecognizedLockBits);
}

// Over every device: what is written and then read back gives the same selection, bit by bit.
TEST(LockFuseRoundTrip, EveryFuseBitSurvivesWriteAndReadBack) {
    for (int n = 0; n < DeviceTable::deviceCount(); ++n) {
        const FuseLayout& layout = *layoutOf(n);
        SCOPED_TRACE(DeviceTable::device(n).name);
        for (int i = 0; i < layout.fuseCount; ++i) {
            for (bool onlyThisOne : {true, false}) {
                LockFuseSettings chosen;
                for (int j = 0; j < layout.fuseCount; ++j)
                    chosen.fuse[static_cast<std::size_t>(j)] = ((j == i) == onlyThisOne) ? 1 : 0;
                const DecodedLockFuse back =
                    decodeRead(layout, 0xFF, fuseBytesAfter(encodeFuses(layout, chosen)));
                EXPECT_EQ(back.settings.fuse, chosen.fuse)
                    << "fuse " << i << (onlyThisOne ? " alone" : " left out");
            }
        }
    }
}

TEST(LockFuseRoundTrip, EveryLockLevelAndBootLockCombinationSurvives) {
    for (int n = 0; n < DeviceTable::deviceCount(); ++n) {
        const DeviceRecord& record = DeviceTable::device(n);
        const FuseLayout& layout = *layoutOf(n);
        if (!layout.hasLockRead()) continue;
        SCOPED_TRACE(record.name);
        const LockProcedure procedure = lockProcedureFor(record.spiVariant);
        if (procedure == LockProcedure::Stepped) {
            for (int level = 0; level < 4; ++level) {
                const std::uint8_t lockByte =
                    steppedLockByteAfter(encodeLock(layout, record.spiVariant, atLevel(level)));
                EXPECT_EQ(decodeRead(layout, lockByte, {}).settings.lockMode, level);
            }
            continue;
        }
        ASSERT_EQ(procedure, LockProcedure::Avr);
        const int combinations = 1 << layout.bootLockCount;
        for (int level = 0; level < 3; ++level) {
            for (int mask = 0; mask < combinations; ++mask) {
                LockFuseSettings chosen = atLevel(level);
                for (int b = 0; b < layout.bootLockCount; ++b)
                    chosen.bootLock[static_cast<std::size_t>(b)] = (mask >> b) & 1;
                const std::uint8_t lockByte =
                    avrLockByteAfter(layout, encodeLock(layout, record.spiVariant, chosen));
                const DecodedLockFuse back = decodeRead(layout, lockByte, {0xFF, 0xFF, 0xFF});
                EXPECT_EQ(back.settings.lockMode, level) << "boot mask " << mask;
                EXPECT_EQ(back.settings.bootLock, chosen.bootLock) << "level " << level;
                EXPECT_FALSE(back.unrecognizedLockBits);
            }
        }
    }
}
