#include <initializer_list>
#include <string_view>

#include "devices/device_table.h"
#include "devices/fuse_layout.h"

namespace tovel {

namespace {

// Lock schemes ------------------------------------------------------------------------------

struct LockSource {
    LockScheme scheme;
    SpiBytes4 write;
    std::array<InstructionBit, 3> writeBits; // LB1, LB2, LB3
    std::optional<LockReadInstruction> read;
};

// Lock bit places in the write are (byte 1..4, bit); in the read, bit numbers of the answer.
// clang-format off
constexpr LockSource kAvrLock{LockScheme::Avr, {0xAC, 0xFF, 0xFF, 0xFF}, {{{4, 0}, {4, 1}, {}}},
                              LockReadInstruction{{0x58, 0x00, 0x00}, {0, 1, kNoBit}}};
constexpr LockSource kAvr161Lock{LockScheme::Avr161, {0xAC, 0xFF, 0xFF, 0xFF}, {{{4, 0}, {4, 1}, {}}},
                                 LockReadInstruction{{0x58, 0xFF, 0xFF}, {0, 1, kNoBit}}};
constexpr LockSource kTinyLock{LockScheme::Tiny, {0xAC, 0xFF, 0x00, 0x00}, {{{2, 1}, {2, 2}, {}}},
                               LockReadInstruction{{0x58, 0xFF, 0xFF}, {1, 2, kNoBit}}};
// LB3 is reached only by rows whose variant takes the three-byte procedure (the AT25 rows).
constexpr LockSource kClassicLock{LockScheme::Classic, {0xAC, 0xE0, 0x00, 0x00}, {{{2, 1}, {2, 2}, {1, 0}}},
                                  std::nullopt};
// The stepped procedure ORs the step into byte 2 instead of using bit places.
constexpr LockSource kSteppedLock{LockScheme::Stepped, kSteppedLockWrite, {},
                                  LockReadInstruction{{0x24, 0x00, 0x00}, {2, 3, 4}}};
// The fourth byte is stored but never sent.
constexpr LockSource kThreeByteLock{LockScheme::ThreeByte, {0xAC, 0xFF, 0xFF, 0x00}, {{{2, 5}, {2, 6}, {2, 7}}},
                                    std::nullopt};
// clang-format on

constexpr std::array<BootLockBit, kMaxBootLockBits> kBootLockBits{
    {{"BLB01", 2}, {"BLB02", 3}, {"BLB11", 4}, {"BLB12", 5}}};

enum class Boot { No, Yes };

// Fuse bytes --------------------------------------------------------------------------------

// Bit 0 upward; nullptr marks a bit number the byte does not carry (and trailing ones may be left out).
using BitNames = std::array<const char*, 8>;

struct FuseByteSource {
    BitNames names{};
    SpiBytes4 write{};
    SpiBytes3 read{};
};

constexpr FuseByteSource low(BitNames names, SpiBytes4 write = {0xAC, 0xA0, 0xFF, 0xFF},
                             SpiBytes3 read = {0x50, 0x00, 0x00}) {
    return {names, write, read};
}
constexpr FuseByteSource high(BitNames names, SpiBytes4 write = {0xAC, 0xA8, 0xFF, 0xFF},
                              SpiBytes3 read = {0x58, 0x08, 0x00}) {
    return {names, write, read};
}
constexpr FuseByteSource extended(BitNames names, SpiBytes4 write = {0xAC, 0xA4, 0xFF, 0xFF},
                                  SpiBytes3 read = {0x50, 0x08, 0x00}) {
    return {names, write, read};
}

struct Requirement {
    const char* name;
    RequiredState state;
};

constexpr Requirement spienProgrammed{"SPIEN", RequiredState::MustBeProgrammed};
constexpr Requirement rstdisblUnprogrammed{"RSTDISBL", RequiredState::MustBeUnprogrammed};

// Reached only while building the table at compile time; being no constant expression, it turns
// inconsistent layout data into a build error.
inline void layoutDataIsInconsistent() {}

consteval FuseLayout makeLayout(const LockSource& lock, Boot boot, std::array<FuseByteSource, 3> bytes = {},
                                std::initializer_list<Requirement> requirements = {}) {
    FuseLayout layout;
    layout.lockScheme = lock.scheme;
    layout.lockWrite = lock.write;
    layout.lockWriteBits = lock.writeBits;
    layout.lockRead = lock.read;
    if (boot == Boot::Yes) {
        layout.bootLockCount = kMaxBootLockBits;
        layout.bootLockBits = kBootLockBits;
    }
    for (int k = 0; k < kFuseByteCount; ++k) {
        bool carriesBits = false;
        for (int bit = 0; bit < 8; ++bit) {
            const char* name = bytes[k].names[bit];
            if (name == nullptr) continue;
            if (layout.fuseCount == kMaxFuseBits) layoutDataIsInconsistent();
            layout.fuseBits[layout.fuseCount++] = {name, static_cast<std::uint8_t>(k + 1),
                                                   static_cast<std::uint8_t>(bit), RequiredState::Free};
            carriesBits = true;
        }
        if (carriesBits) layout.fuseBytes[k] = FuseByteInstructions{bytes[k].write, bytes[k].read};
    }
    // A higher fuse byte without the low one would break "fuse byte 1 exists exactly when there are fuses".
    if (layout.fuseCount > 0 && !layout.fuseBytes[0]) layoutDataIsInconsistent();
    for (const Requirement& requirement : requirements) {
        bool found = false;
        for (int i = 0; i < layout.fuseCount; ++i) {
            if (std::string_view(layout.fuseBits[i].name) == requirement.name) {
                layout.fuseBits[i].required = requirement.state;
                found = true;
            }
        }
        if (!found) layoutDataIsInconsistent();
    }
    return layout;
}

constexpr FuseLayout kUnused{};

// The layouts, by the index device rows store. Indexes no device refers to are left unused.
// clang-format off
constexpr std::array<FuseLayout, kFuseLayoutCount> kLayouts{{
    /* 0: AT90S2313, AT90S8515, AT25xxx, AT45DBxxx */ makeLayout(kClassicLock, Boot::No),
    /* 1: AT89S51, AT89S52 */ makeLayout(kSteppedLock, Boot::No),
    /* 2 */ kUnused,
    /* 3 */ kUnused,
    /* 4: ATtiny15 */ makeLayout(kTinyLock, Boot::No,
        {low({"CKSEL0", "CKSEL1", nullptr, nullptr, "RSTDISBL", "SPIEN", "BODEN", "BODLEVEL"},
             {0xAC, 0xBF, 0xFF, 0xFF}, {0x50, 0xFF, 0xFF})},
        {rstdisblUnprogrammed, spienProgrammed}),
    /* 5 */ kUnused,
    /* 6 */ kUnused,
    /* 7 */ kUnused,
    /* 8: ATtiny12 */ makeLayout(kTinyLock, Boot::No,
        {low({"CKSEL0", "CKSEL1", "CKSEL2", "CKSEL3", "RSTDISBL", "SPIEN", "BODEN", "BODLEVEL"},
             {0xAC, 0xBF, 0xFF, 0xFF}, {0x50, 0xFF, 0xFF})},
        {rstdisblUnprogrammed, spienProgrammed}),
    /* 9 */ kUnused,
    /* 10: ATmega128, ATmega2560/2561 */ makeLayout(kAvrLock, Boot::Yes,
        {low({"CKSEL0", "CKSEL1", "CKSEL2", "CKSEL3", "SUT0", "SUT1", "BODEN", "BODLEVEL"}),
         high({"BOOTRST", "BOOTSZ0", "BOOTSZ1", "EESAVE", "CKOPT", "SPIEN", "JTAGEN", "OCDEN"}),
         extended({"WDTON", "M103C"})},
        {spienProgrammed}),
    /* 11: ATmega161 */ makeLayout(kAvr161Lock, Boot::Yes,
        {low({"CKSEL0", "CKSEL1", "CKSEL2", "BODEN", "BODLEVEL", "SPIEN", "BOOTRST"},
             {0xAC, 0xAF, 0xFF, 0xFF}, {0x50, 0xFF, 0xFF})},
        {spienProgrammed}),
    /* 12: AT90PWM2/3, ATmega8 */ makeLayout(kAvrLock, Boot::Yes,
        {low({"CKSEL0", "CKSEL1", "CKSEL2", "CKSEL3", "SUT0", "SUT1", "BODEN", "BODLEVEL"}),
         high({"BOOTRST", "BOOTSZ0", "BOOTSZ1", "EESAVE", "CKOPT", "SPIEN", "WDTON", "RSTDISBL"})},
        {spienProgrammed}),
    /* 13: ATmega16 */ makeLayout(kAvrLock, Boot::Yes,
        {low({"CKSEL0", "CKSEL1", "CKSEL2", "CKSEL3", "SUT0", "SUT1", "BODEN", "BODLEVEL"}),
         high({"BOOTRST", "BOOTSZ0", "BOOTSZ1", "EESAVE", "CKOPT", "SPIEN", "JTAGEN", "OCDEN"})},
        {spienProgrammed}),
    /* 14: ATtiny26 */ makeLayout(kAvrLock, Boot::No,
        {low({"CKSEL0", "CKSEL1", "CKSEL2", "CKSEL3", "SUT0", "SUT1", "CKOPT", "PLLCK"}),
         high({"BODEN", "BODLEVEL", "EESAVE", "SPIEN", "RSTDISBL"})}),
    /* 15 */ kUnused,
    /* 16: ATmega32 */ makeLayout(kAvrLock, Boot::Yes,
        {low({"CKSEL0", "CKSEL1", "CKSEL2", "CKSEL3", "SUT0", "SUT1", "BODEN", "BODLEVEL"}),
         high({"BOOTRST", "BOOTSZ0", "BOOTSZ1", "EESAVE", "CKOPT", "SPIEN", "JTAGEN", "OCDEN"})},
        {spienProgrammed}),
    /* 17: ATmega8515 */ makeLayout(kAvrLock, Boot::Yes,
        {low({"CKSEL0", "CKSEL1", "CKSEL2", "CKSEL3", "SUT0", "SUT1", "BODEN", "BODLEVEL"}),
         high({"BOOTRST", "BOOTSZ0", "BOOTSZ1", "EESAVE", "CKOPT", "SPIEN", "WDTON", "S8515C"})},
        {spienProgrammed}),
    /* 18: ATmega8535 */ makeLayout(kAvrLock, Boot::Yes,
        {low({"CKSEL0", "CKSEL1", "CKSEL2", "CKSEL3", "SUT0", "SUT1", "BODEN", "BODLEVEL"}),
         high({"BOOTRST", "BOOTSZ0", "BOOTSZ1", "EESAVE", "CKOPT", "SPIEN", "WDTON", "S8535C"})},
        {spienProgrammed}),
    /* 19: ATmega162 */ makeLayout(kAvrLock, Boot::Yes,
        {low({"CKSEL0", "CKSEL1", "CKSEL2", "CKSEL3", "SUT0", "SUT1", "CKOUT", "CKDIV16"}),
         high({"BOOTRST", "BOOTSZ0", "BOOTSZ1", "EESAVE", "WDTON", "SPIEN", "JTAGEN", "OCDEN"}),
         extended({nullptr, "BODLEVEL0", "BODLEVEL1", "BODLEVEL2", "M161C"})},
        {spienProgrammed}),
    /* 20: ATmega64 */ makeLayout(kAvrLock, Boot::Yes,
        {low({"CKSEL0", "CKSEL1", "CKSEL2", "CKSEL3", "SUT0", "SUT1", "BODEN", "BODLEVEL"}),
         high({"BOOTRST", "BOOTSZ0", "BOOTSZ1", "EESAVE", "CKOPT", "SPIEN", "JTAGEN", "OCDEN"}),
         extended({"WDTON", "M103C"})},
        {spienProgrammed}),
    /* 21: ATmega165, ATmega169 */ makeLayout(kAvrLock, Boot::Yes,
        {low({"CKSEL0", "CKSEL1", "CKSEL2", "CKSEL3", "SUT0", "SUT1", "CKOUT", "CKDIV16"}),
         high({"BOOTRST", "BOOTSZ0", "BOOTSZ1", "EESAVE", "WDTON", "SPIEN", "JTAGEN", "OCDEN"}),
         extended({"RSTDISBL", "BODLEVEL0", "BODLEVEL1", "BODLEVEL2"})},
        {spienProgrammed}),
    /* 22: AT86RF401 */ makeLayout(kClassicLock, Boot::No),
    /* 23: ATtiny13 */ makeLayout(kAvrLock, Boot::No,
        {low({"CKSEL0", "CKSEL1", "SUT0", "SUT1", "CKDIV8", "WDTON", "EESAVE", "SPIEN"}),
         high({"RSTDISBL", "BODLEVEL0", "BODLEVEL1", "DWEN", "SPMEN"})}),
    /* 24: ATtiny2313 */ makeLayout(kAvrLock, Boot::Yes,
        {low({"CKSEL0", "CKSEL1", "CKSEL2", "CKSEL3", "SUT0", "SUT1", "CKOUT", "CKDIV8"}),
         high({"RSTDISBL", "BODLEVEL0", "BODLEVEL1", "BODLEVEL2", "WDTON", "SPIEN", "EESAVE", "DWEN"}),
         extended({"SPMEN"})},
        {spienProgrammed}),
    /* 25: ATmega48 */ makeLayout(kAvrLock, Boot::Yes,
        {low({"CKSEL0", "CKSEL1", "CKSEL2", "CKSEL3", "SUT0", "SUT1", "CKOUT", "CKDIV8"}),
         high({"BODLEVEL0", "BODLEVEL1", "BODLEVEL2", "EESAVE", "WDTON", "SPIEN", "DWEN", "RSTDISBL"}),
         extended({"SELFPRGEN"})},
        {spienProgrammed}),
    /* 26: ATmega88, ATmega168 */ makeLayout(kAvrLock, Boot::Yes,
        {low({"CKSEL0", "CKSEL1", "CKSEL2", "CKSEL3", "SUT0", "SUT1", "CKOUT", "CKDIV8"}),
         high({"BODLEVEL0", "BODLEVEL1", "BODLEVEL2", "EESAVE", "WDTON", "SPIEN", "DWEN", "RSTDISBL"},
              {0xAC, 0xA8, 0x00, 0xFF}),
         extended({"BOOTRST", "BOOTSZ0", "BOOTSZ1"})},
        {spienProgrammed}),
    /* 27: AT89S8252 */ makeLayout(kThreeByteLock, Boot::No),
    /* 28: AT89S2051, AT89S4051, AT89S8253, AT89S53 */ makeLayout(kThreeByteLock, Boot::No),
    /* 29: AT90CAN128 */ makeLayout(kAvrLock, Boot::Yes,
        {low({"CKSEL0", "CKSEL1", "CKSEL2", "CKSEL3", "SUT0", "SUT1", "CKOUT", "CKDIV8"}),
         high({"BOOTRST", "BOOTSZ0", "BOOTSZ1", "EESAVE", "WDTON", "SPIEN", "JTAGEN", "OCDEN"}),
         extended({"TA0SEL", "BODLEVEL0", "BODLEVEL1", "BODLEVEL2"})},
        {spienProgrammed}),
    /* 30: ATmega325/3250, ATmega645/6450 */ makeLayout(kAvrLock, Boot::Yes,
        {low({"CKSEL0", "CKSEL1", "CKSEL2", "CKSEL3", "SUT0", "SUT1", "CKOUT", "CKDIV8"}),
         high({"BOOTRST", "BOOTSZ0", "BOOTSZ1", "EESAVE", "WDTON", "SPIEN", "JTAGEN", "OCDEN"}),
         extended({"RSTDISBL", "BODLEVEL0", "BODLEVEL1"})},
        {spienProgrammed}),
    /* 31 */ kUnused,
    /* 32: ATmega644 */ makeLayout(kAvrLock, Boot::Yes,
        {low({"CKSEL0", "CKSEL1", "CKSEL2", "CKSEL3", "SUT0", "SUT1", "CKOUT", "CKDIV8"}),
         high({"BOOTRST", "BOOTSZ0", "BOOTSZ1", "EESAVE", "WDTON", "SPIEN", "JTAGEN", "OCDEN"}),
         extended({"BODLEVEL0", "BODLEVEL1", "BODLEVEL2"})},
        {spienProgrammed}),
}};
// clang-format on

const std::optional<FuseByteInstructions> kNoFuseByte;

} // namespace

const std::optional<FuseByteInstructions>& FuseLayout::fuseByte(int k) const {
    if (k < 1 || k > kFuseByteCount) return kNoFuseByte;
    return fuseBytes[static_cast<std::size_t>(k - 1)];
}

const FuseLayout* fuseLayoutAt(int index) {
    if (index < 0 || index >= kFuseLayoutCount) return nullptr;
    const FuseLayout& layout = kLayouts[static_cast<std::size_t>(index)];
    return layout.inUse() ? &layout : nullptr;
}

const FuseLayout* layoutOf(int deviceNo) {
    if (!DeviceTable::isValidDeviceNo(deviceNo)) return nullptr;
    return fuseLayoutAt(DeviceTable::device(deviceNo).fuseLayout);
}

} // namespace tovel
