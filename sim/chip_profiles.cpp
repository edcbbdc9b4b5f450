#include "sim/chip_profiles.h"

#include <strings.h>

#include <string>

namespace tovel::sim {

namespace {

constexpr FuseBitPosition none{};
constexpr FuseBitPosition at(std::uint8_t byte, std::uint8_t bit) { return {byte, bit}; }

constexpr ChipProfile classic(std::string_view name) {
    ChipProfile p;
    p.name = name;
    p.generation = AvrGeneration::Classic;
    p.lockMask = 0x06; // LB1 bit 1, LB2 bit 2
    p.flashWriteUs = 4000;
    p.eepromWriteUs = 4000;
    p.eraseUs = 18000;
    return p;
}

constexpr ChipProfile tiny(std::string_view name, std::uint8_t fuse, std::uint8_t mask,
                           std::uint8_t clockMask) {
    ChipProfile p;
    p.name = name;
    p.generation = AvrGeneration::Tiny;
    p.fuseBytes = 1;
    p.fuseDefaults = {fuse, 0xFF, 0xFF};
    p.fuseMask = {mask, 0x00, 0x00};
    p.lockMask = 0x06;
    p.spien = at(0, 5);
    p.rstdisbl = at(0, 4);
    p.externalClockMask = clockMask;
    p.calibrationCount = 1;
    p.eepromWriteUs = 4000;
    return p;
}

// The common ATmega shape: CKSEL3..0 in the low fuse, SPIEN bit 5 and EESAVE bit 3 of the high fuse.
constexpr ChipProfile mega(std::string_view name, unsigned fuseBytes, std::array<std::uint8_t, 3> defaults,
                           std::uint8_t extMask, std::uint8_t lockMask, unsigned calibration) {
    ChipProfile p;
    p.name = name;
    p.fuseBytes = fuseBytes;
    p.fuseDefaults = defaults;
    p.fuseMask = {0xFF, 0xFF, fuseBytes > 2 ? extMask : std::uint8_t{0x00}};
    if (fuseBytes < 3) p.fuseDefaults[2] = 0xFF;
    p.lockMask = lockMask;
    p.spien = at(1, 5);
    p.eesave = at(1, 3);
    p.externalClockMask = 0x0F;
    p.calibrationCount = calibration;
    return p;
}

constexpr ChipProfile withReset(ChipProfile p, FuseBitPosition rstdisbl, FuseBitPosition dwen = none) {
    p.rstdisbl = rstdisbl;
    p.dwen = dwen;
    return p;
}

constexpr ChipProfile withTimes(ChipProfile p, unsigned flashUs, unsigned eepromUs, unsigned eraseUs) {
    p.flashWriteUs = flashUs;
    p.eepromWriteUs = eepromUs;
    p.eraseUs = eraseUs;
    return p;
}

constexpr ChipProfile at89(std::string_view name, ChipKind kind, unsigned writeUs, unsigned eraseUs,
                           bool signatureInByte3 = false) {
    ChipProfile p;
    p.name = name;
    p.kind = kind;
    p.lockMask = 0x07; // LB1 bit 0, LB2 bit 1, LB3 bit 2 (own format, 1 = unprogrammed)
    p.flashWriteUs = writeUs;
    p.eepromWriteUs = writeUs;
    p.eraseUs = eraseUs;
    p.at89SignatureInByte3 = signatureInByte3;
    return p;
}

constexpr ChipProfile at25(std::string_view name) {
    ChipProfile p;
    p.name = name;
    p.kind = ChipKind::At25;
    p.flashWriteUs = 5000;
    p.eepromWriteUs = 5000;
    return p;
}

constexpr ChipProfile at45(std::string_view name, std::uint8_t density) {
    ChipProfile p;
    p.name = name;
    p.kind = ChipKind::At45;
    p.dataFlashDensity = density;
    p.flashWriteUs = 7000;
    p.eraseUs = 15000;
    return p;
}

ChipProfile tiny13() {
    ChipProfile p = mega("ATtiny13", 2, {0x6A, 0xFF, 0xFF}, 0x00, 0x03, 1);
    p.fuseMask = {0xFF, 0x1F, 0x00};
    p.spien = at(0, 7);
    p.eesave = at(0, 6);
    p.externalClockMask = 0x03;
    return withTimes(withReset(p, at(1, 0), at(1, 3)), 4500, 4000, 4000);
}

ChipProfile tiny2313() {
    ChipProfile p = mega("ATtiny2313", 3, {0x64, 0xDF, 0xFF}, 0x01, 0x03, 2);
    p.eesave = at(1, 6);
    return withTimes(withReset(p, at(1, 0), at(1, 7)), 4500, 4000, 9000);
}

ChipProfile tiny26() {
    ChipProfile p = mega("ATtiny26", 2, {0xE1, 0xF7, 0xFF}, 0x00, 0x03, 4);
    p.fuseMask = {0xFF, 0x1F, 0x00};
    p.spien = at(1, 3);
    p.eesave = at(1, 2);
    return withReset(p, at(1, 4));
}

ChipProfile mega161() {
    ChipProfile p;
    p.name = "ATmega161";
    p.generation = AvrGeneration::Mega161;
    p.fuseBytes = 1;
    p.fuseDefaults = {0xDA, 0xFF, 0xFF};
    p.fuseMask = {0x7F, 0x00, 0x00};
    p.lockMask = 0x3F;
    p.spien = at(0, 5);
    p.externalClockMask = 0x07;
    return p;
}

// ATmega48/88/168 and the AT90PWM parts: RSTDISBL bit 7, DWEN bit 6 of the high fuse.
ChipProfile newMega(std::string_view name, std::uint8_t ext, std::uint8_t extMask, std::uint8_t lockMask,
                    unsigned calibration) {
    return withTimes(
        withReset(mega(name, 3, {0x62, 0xDF, ext}, extMask, lockMask, calibration), at(1, 7), at(1, 6)), 4500,
        3600, 9000);
}

const ChipProfile* profiles() {
    static const ChipProfile table[] = {
        tiny("ATtiny12", 0xD2, 0xFF, 0x0F),
        tiny13(),
        tiny("ATtiny15", 0xDC, 0xF3, 0x00),
        tiny2313(),
        tiny26(),
        classic("AT90S2313"),
        classic("AT90S8515"),
        newMega("AT90PWM2/3", 0xF9, 0xF7, 0x3F, 1),
        newMega("ATmega48", 0xFF, 0x01, 0x03, 1),
        withReset(mega("ATmega8", 2, {0xE1, 0xD9, 0xFF}, 0x00, 0x3F, 4), at(1, 7)),
        newMega("ATmega88", 0xF9, 0x07, 0x3F, 1),
        mega("ATmega8515", 2, {0xE1, 0xD9, 0xFF}, 0x00, 0x3F, 4),
        mega("ATmega8535", 2, {0xE1, 0xD9, 0xFF}, 0x00, 0x3F, 4),
        mega("ATmega16", 2, {0xE1, 0x99, 0xFF}, 0x00, 0x3F, 4),
        mega161(),
        mega("ATmega162", 3, {0x62, 0x99, 0xFF}, 0x1E, 0x3F, 1),
        withReset(mega("ATmega165", 3, {0x62, 0x99, 0xFF}, 0x0F, 0x3F, 1), at(2, 0)),
        newMega("ATmega168", 0xF9, 0x07, 0x3F, 1),
        withReset(mega("ATmega169", 3, {0x62, 0x99, 0xFF}, 0x0F, 0x3F, 1), at(2, 0)),
        mega("ATmega32", 2, {0xE1, 0x99, 0xFF}, 0x00, 0x3F, 4),
        withReset(mega("ATmega325/3250", 3, {0x62, 0x99, 0xFF}, 0x07, 0x3F, 1), at(2, 0)),
        mega("ATmega64", 3, {0xE1, 0x99, 0xFD}, 0x03, 0x3F, 4),
        mega("ATmega644", 3, {0x62, 0x99, 0xFF}, 0x07, 0x3F, 1),
        withReset(mega("ATmega645/6450", 3, {0x62, 0x99, 0xFF}, 0x07, 0x3F, 1), at(2, 0)),
        mega("ATmega128", 3, {0xE1, 0x99, 0xFD}, 0x03, 0x3F, 4),
        mega("ATmega2560/2561", 3, {0x62, 0x99, 0xFF}, 0x07, 0x3F, 1),
        at89("AT89S2051", ChipKind::At89FourByte, 1000, 500000),
        at89("AT89S4051", ChipKind::At89FourByte, 1000, 500000),
        at89("AT89S51", ChipKind::At89FourByte, 1000, 500000),
        at89("AT89S52", ChipKind::At89FourByte, 1000, 500000),
        at89("AT89S8252", ChipKind::At89ThreeByte, 2500, 16000),
        at89("AT89S8253", ChipKind::At89FourByte, 1000, 500000, true),
        at89("AT89S53", ChipKind::At89ThreeByte, 2500, 16000),
        classic("AT86RF401"),
        at25("AT25256"),
        at25("AT25HP256"),
        at25("AT25HP512"),
        mega("AT90CAN128", 3, {0x62, 0x99, 0xFF}, 0x0F, 0x3F, 1),
        at45("AT45DB041", 0x07),
        at45("AT45DB081", 0x09),
        at45("AT45DB161", 0x0B),
        at45("AT45DB321", 0x0D),
        at45("AT45DB642", 0x0F),
    };
    return table;
}

constexpr int kProfileCount = 43;

} // namespace

const ChipProfile* findChipProfile(std::string_view name) {
    const std::string wanted(name);
    for (int i = 0; i < kProfileCount; ++i) {
        const ChipProfile& p = profiles()[i];
        if (std::string(p.name).size() == wanted.size() &&
            strcasecmp(std::string(p.name).c_str(), wanted.c_str()) == 0)
            return &p;
    }
    return nullptr;
}

const ChipProfile& unknownAvrProfile() {
    static const ChipProfile profile = *findChipProfile("ATmega8");
    return profile;
}

} // namespace tovel::sim
