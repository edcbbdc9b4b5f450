// The simulated chips carry their own data-sheet values. The host's device table and lock/fuse
// layouts must agree with them row by row: a wrong page size or bit position on either side
// fails here instead of being copied into the chip that is meant to check it.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <string_view>
#include <tuple>

#include "devices/device_table.h"
#include "devices/fuse_layout.h"
#include "sim/chip_factory.h"
#include "sim/chip_profiles.h"

using namespace tovel;
using namespace tovel::sim;

namespace {

// Where the table, as the program has always had it, differs from the data sheet. Each entry is
// a decision kept on purpose; anything else that differs is a fault.
enum class Aspect { EepromSize, FuseBits, BootLockBits };

bool knownDifference(std::string_view chip, Aspect aspect) {
    struct Entry {
        std::string_view chip;
        Aspect aspect;
    };
    static constexpr Entry kEntries[] = {
        {"ATmega2560/2561", Aspect::FuseBits}, // the table gives it the ATmega128 layout
        {"AT90PWM2/3", Aspect::FuseBits},      // the table gives it the ATmega8 layout
        {"ATtiny2313", Aspect::BootLockBits},  // the layout offers boot lock bits the chip lacks
        {"ATmega48", Aspect::BootLockBits},    // likewise
    };
    for (const Entry& e : kEntries)
        if (e.chip == chip && e.aspect == aspect) return true;
    return false;
}

// The program's dialog spells two bits as older data sheets did.
std::string dataSheetName(std::string_view dialogName) {
    if (dialogName == "SPMEN") return "SELFPRGEN";
    if (dialogName == "CKDIV16") return "CKDIV8";
    return std::string(dialogName);
}

using NamedBit = std::tuple<std::string, int, int>; // name, fuse byte 0..2, bit

const ChipProfile& profileOf(const DeviceRecord& row) {
    const ChipProfile* profile = findChipProfile(row.name);
    if (profile == nullptr) ADD_FAILURE() << "no simulated chip for " << row.name;
    return profile != nullptr ? *profile : unknownAvrProfile();
}

int lockBitOf(const ChipProfile& chip, std::string_view name) {
    for (int bit = 0; bit < 8; ++bit)
        if (chip.lockNames[static_cast<std::size_t>(bit)] == name) return bit;
    return kNoBit;
}

bool isAvrRow(const DeviceRecord& row) { return row.spiVariant == SpiVariant::Avr && !row.isDataFlash(); }

} // namespace

TEST(ChipCatalogue, EveryTableRowHasTheSizesPageAndSignatureOfItsChip) {
    for (int n = 0; n < DeviceTable::deviceCount(); ++n) {
        const DeviceRecord& row = DeviceTable::device(n);
        SCOPED_TRACE(row.name);
        const ChipProfile& chip = profileOf(row);
        const ChipGeometry& g = chip.geometry;
        switch (row.family) {
        case Family::At45:
            EXPECT_EQ(chip.kind, ChipKind::At45);
            EXPECT_EQ(g.pageBytes, row.pageSize);
            EXPECT_EQ(g.pageAddressShift, row.dataFlashPageShift);
            // The table counts the nominal 256, 512 or 1024 bytes a page.
            EXPECT_EQ((g.flashBytes / g.pageBytes) << (7 + g.pageAddressShift), row.flashSize);
            EXPECT_EQ(chip.dataFlashDensity << 2, row.signature[0]);
            EXPECT_EQ(row.signature[1], 0x3C);
            break;
        case Family::At25:
            EXPECT_EQ(chip.kind, ChipKind::At25);
            EXPECT_EQ(g.eepromBytes, row.eepromSize);
            EXPECT_EQ(g.pageBytes, row.pageSize);
            EXPECT_EQ(g.flashBytes, 0u);
            break;
        default:
            EXPECT_EQ(g.flashBytes, row.flashSize);
            if (!knownDifference(row.name, Aspect::EepromSize)) {
                EXPECT_EQ(g.eepromBytes, row.eepromSize);
            }
            EXPECT_EQ(g.pageBytes, row.pageSize * 2); // the table counts AVR pages in words
            // AT89S8252 and AT89S53 have no signature to read; their row's bytes identify nothing.
            if (row.signature[0] == 0x1E) {
                EXPECT_EQ(g.signature, row.signature);
            }
            break;
        }
        switch (chip.kind) {
        case ChipKind::Avr:
            EXPECT_TRUE(isAvrRow(row));
            break;
        case ChipKind::At89FourByte:
            EXPECT_EQ(row.spiVariant, SpiVariant::At89S51);
            break;
        case ChipKind::At89ThreeByte:
            EXPECT_TRUE(row.spiVariant == SpiVariant::At89S8252 || row.spiVariant == SpiVariant::At89S53);
            break;
        case ChipKind::At25:
            EXPECT_EQ(row.spiVariant, SpiVariant::At25);
            break;
        case ChipKind::At45:
            EXPECT_TRUE(row.isDataFlash());
            break;
        }
        // The chip in the socket has the memories its data sheet gives.
        const std::unique_ptr<Chip> socket = makeChip({row.name, std::nullopt, false});
        ASSERT_TRUE(socket);
        const ChipMemories m = socket->memories();
        EXPECT_EQ(m.flash.size(), g.flashBytes);
        EXPECT_EQ(m.eeprom.size(), g.eepromBytes);
    }
    EXPECT_EQ(chipProfiles().size(), static_cast<std::size_t>(DeviceTable::deviceCount()));
    EXPECT_TRUE(makeChip({"none", std::nullopt, false}));
    EXPECT_TRUE(makeChip({"EMPTY", std::nullopt, false}));
    EXPECT_FALSE(makeChip({"ATmega9", std::nullopt, false}));
}

TEST(ChipCatalogue, EveryAvrLayoutPutsItsBitsWhereTheChipHasThem) {
    for (int n = 0; n < DeviceTable::deviceCount(); ++n) {
        const DeviceRecord& row = DeviceTable::device(n);
        if (!isAvrRow(row)) continue;
        SCOPED_TRACE(row.name);
        const ChipProfile& chip = profileOf(row);
        const FuseLayout* layout = layoutOf(n);
        ASSERT_NE(layout, nullptr);

        if (!knownDifference(row.name, Aspect::FuseBits)) {
            std::set<NamedBit> table, dataSheet;
            for (int i = 0; i < layout->fuseCount; ++i) {
                const FuseBit& bit = layout->fuseBits[static_cast<std::size_t>(i)];
                table.insert({dataSheetName(bit.name), bit.fuseByte - 1, bit.bit});
            }
            for (int byte = 0; byte < 3; ++byte)
                for (int bit = 0; bit < 8; ++bit) {
                    const std::string_view name =
                        chip.fuseNames[static_cast<std::size_t>(byte)][static_cast<std::size_t>(bit)];
                    if (!name.empty()) dataSheet.insert({std::string(name), byte, bit});
                }
            EXPECT_EQ(table, dataSheet);
            for (int k = 1; k <= kFuseByteCount; ++k)
                EXPECT_EQ(layout->fuseByte(k).has_value(),
                          chip.fuseMask[static_cast<std::size_t>(k - 1)] != 0)
                    << "fuse byte " << k;
        }

        // LB1 and LB2: byte 4 of the write for the ATmega-style parts, byte 2 for the older ones;
        // the same bit numbers in the byte read back.
        const bool lockInByte2 =
            layout->lockScheme == LockScheme::Tiny || layout->lockScheme == LockScheme::Classic;
        for (const auto& [index, name] : {std::pair{Lb1, "LB1"}, std::pair{Lb2, "LB2"}}) {
            const int bit = lockBitOf(chip, name);
            const InstructionBit written = layout->lockWriteBits[static_cast<std::size_t>(index)];
            EXPECT_EQ(written.byte, lockInByte2 ? 2 : 4) << name;
            EXPECT_EQ(written.bit, bit) << name;
            if (layout->hasLockRead()) {
                EXPECT_EQ(layout->lockRead->bits[static_cast<std::size_t>(index)], bit) << name;
            }
        }

        if (!knownDifference(row.name, Aspect::BootLockBits)) {
            std::set<std::pair<std::string, int>> table, dataSheet;
            for (int i = 0; i < layout->bootLockCount; ++i) {
                const BootLockBit& bit = layout->bootLockBits[static_cast<std::size_t>(i)];
                table.insert({bit.name, bit.bit});
            }
            for (int bit = 0; bit < 8; ++bit) {
                const std::string_view name = chip.lockNames[static_cast<std::size_t>(bit)];
                if (name.starts_with("BLB")) dataSheet.insert({std::string(name), bit});
            }
            EXPECT_EQ(table, dataSheet);
        }
    }
}
