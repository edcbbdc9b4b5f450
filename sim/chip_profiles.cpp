#include "sim/chip_profiles.h"

#include <strings.h>

#include <string>

namespace tovel::sim {

namespace {

// Memory and identity ---------------------------------------------------------------------------

// An AVR or AT89: Flash and EEPROM bytes, the Flash page in words (0: written byte by byte) and
// signature bytes 2 and 3 (byte 1 is Atmel's 0x1E).
constexpr ChipGeometry memory(std::size_t flash, std::size_t eeprom, std::size_t pageWords,
                              std::uint8_t family, std::uint8_t part) {
    return {flash, eeprom, pageWords * 2, 0, {0x1E, family, part}};
}

// Fuse and lock bit names -------------------------------------------------------------------------

constexpr BitNames kLowBod{"CKSEL0", "CKSEL1", "CKSEL2", "CKSEL3", "SUT0", "SUT1", "BODEN", "BODLEVEL"};
constexpr BitNames kLowDivided{"CKSEL0", "CKSEL1", "CKSEL2", "CKSEL3", "SUT0", "SUT1", "CKOUT", "CKDIV8"};
constexpr BitNames kHighJtagCkopt{"BOOTRST", "BOOTSZ0", "BOOTSZ1", "EESAVE",
                                  "CKOPT",   "SPIEN",   "JTAGEN",  "OCDEN"};
constexpr BitNames kHighJtagWdton{"BOOTRST", "BOOTSZ0", "BOOTSZ1", "EESAVE",
                                  "WDTON",   "SPIEN",   "JTAGEN",  "OCDEN"};
constexpr BitNames kHighDwen{"BODLEVEL0", "BODLEVEL1", "BODLEVEL2", "EESAVE",
                             "WDTON",     "SPIEN",     "DWEN",      "RSTDISBL"};

// Lock byte of the ATmega parts with a boot section, and of those without one.
constexpr BitNames kBootLocks{"LB1", "LB2", "BLB01", "BLB02", "BLB11", "BLB12"};
constexpr BitNames kPlainLocks{"LB1", "LB2"};
// AT90S, AT86RF401, ATtiny12/15: LB1 and LB2 in bits 1 and 2 (of byte 2 of the write, and of the
// read-back where there is one).
constexpr BitNames kByte2Locks{"", "LB1", "LB2"};

// Fills in what the names decide: which bits exist and where the bits that matter to serial
// programming sit.
constexpr ChipProfile named(ChipProfile p) {
    p.fuseBytes = 0;
    for (std::size_t byte = 0; byte < 3; ++byte) {
        std::uint8_t mask = 0;
        for (std::size_t bit = 0; bit < 8; ++bit)
            if (!p.fuseNames[byte][bit].empty()) mask = static_cast<std::uint8_t>(mask | (1u << bit));
        p.fuseMask[byte] = mask;
        if (mask != 0) p.fuseBytes = static_cast<unsigned>(byte + 1);
    }
    for (std::size_t byte = p.fuseBytes; byte < 3; ++byte) p.fuseDefaults[byte] = 0xFF;
    p.lockMask = 0;
    for (std::size_t bit = 0; bit < 8; ++bit)
        if (!p.lockNames[bit].empty()) p.lockMask = static_cast<std::uint8_t>(p.lockMask | (1u << bit));
    p.spien = p.fuseBit("SPIEN");
    p.rstdisbl = p.fuseBit("RSTDISBL");
    p.dwen = p.fuseBit("DWEN");
    p.eesave = p.fuseBit("EESAVE");
    return p;
}

// Chip shapes ---------------------------------------------------------------------------------------

constexpr ChipProfile classic(std::string_view name, ChipGeometry geometry) {
    ChipProfile p;
    p.name = name;
    p.geometry = geometry;
    p.generation = AvrGeneration::Classic;
    p.lockNames = kByte2Locks;
    p.flashWriteUs = 4000;
    p.eepromWriteUs = 4000;
    p.eraseUs = 18000;
    return named(p);
}

constexpr ChipProfile tiny(std::string_view name, ChipGeometry geometry, BitNames fuses, std::uint8_t fuse,
                           std::uint8_t clockMask) {
    ChipProfile p;
    p.name = name;
    p.geometry = geometry;
    p.generation = AvrGeneration::Tiny;
    p.fuseNames = {fuses, {}, {}};
    p.fuseDefaults = {fuse, 0xFF, 0xFF};
    p.lockNames = kByte2Locks;
    p.externalClockMask = clockMask;
    p.calibrationCount = 1;
    p.eepromWriteUs = 4000;
    return named(p);
}

// An ATmega-style part: low/high/extended fuses, lock byte in byte 4 of the write.
constexpr ChipProfile mega(std::string_view name, ChipGeometry geometry, std::array<BitNames, 3> fuses,
                           std::array<std::uint8_t, 3> defaults, BitNames locks, unsigned calibration,
                           std::uint8_t clockMask = 0x0F) {
    ChipProfile p;
    p.name = name;
    p.geometry = geometry;
    p.fuseNames = fuses;
    p.fuseDefaults = defaults;
    p.lockNames = locks;
    p.externalClockMask = clockMask;
    p.calibrationCount = calibration;
    return named(p);
}

constexpr ChipProfile withTimes(ChipProfile p, unsigned flashUs, unsigned eepromUs, unsigned eraseUs) {
    p.flashWriteUs = flashUs;
    p.eepromWriteUs = eepromUs;
    p.eraseUs = eraseUs;
    return p;
}

constexpr ChipProfile at89(std::string_view name, ChipGeometry geometry, ChipKind kind, unsigned writeUs,
                           unsigned eraseUs, bool signatureInByte3 = false) {
    ChipProfile p;
    p.name = name;
    p.geometry = geometry;
    p.kind = kind;
    p.lockNames = {"LB1", "LB2", "LB3"}; // own format, 1 = unprogrammed
    p.flashWriteUs = writeUs;
    p.eepromWriteUs = writeUs;
    p.eraseUs = eraseUs;
    p.at89SignatureInByte3 = signatureInByte3;
    return named(p);
}

// AT89S8252 and AT89S53 have no signature to read in serial programming.
constexpr ChipGeometry at89NoSignature(std::size_t flash, std::size_t eeprom) {
    return {flash, eeprom, 0, 0, {0xFF, 0xFF, 0xFF}};
}

constexpr ChipProfile at25(std::string_view name, std::size_t bytes, std::size_t pageBytes) {
    ChipProfile p;
    p.name = name;
    p.kind = ChipKind::At25;
    p.geometry = {0, bytes, pageBytes, 0, {0xFF, 0xFF, 0xFF}};
    p.flashWriteUs = 5000;
    p.eepromWriteUs = 5000;
    return p;
}

// A DataFlash: pages of pageBytes (256, 512 or 1024 plus 8 spare bytes a 256), a page number
// shifted by 8 + addressShift into the 24-bit address, and the density code of the status byte.
constexpr ChipProfile at45(std::string_view name, std::size_t pages, std::size_t pageBytes,
                           unsigned addressShift, std::uint8_t density) {
    ChipProfile p;
    p.name = name;
    p.kind = ChipKind::At45;
    p.geometry = {pages * pageBytes, 0, pageBytes, addressShift, {0xFF, 0xFF, 0xFF}};
    p.dataFlashDensity = density;
    p.flashWriteUs = 7000;
    p.eraseUs = 15000;
    return p;
}

constexpr ChipProfile kProfiles[] = {
    tiny("ATtiny12", memory(1024, 64, 0, 0x90, 0x05),
         {"CKSEL0", "CKSEL1", "CKSEL2", "CKSEL3", "RSTDISBL", "SPIEN", "BODEN", "BODLEVEL"}, 0xD2, 0x0F),
    withTimes(mega("ATtiny13", memory(1024, 64, 16, 0x90, 0x07),
                   {BitNames{"CKSEL0", "CKSEL1", "SUT0", "SUT1", "CKDIV8", "WDTON", "EESAVE", "SPIEN"},
                    BitNames{"RSTDISBL", "BODLEVEL0", "BODLEVEL1", "DWEN", "SELFPRGEN"},
                    {}},
                   {0x6A, 0xFF, 0xFF}, kPlainLocks, 1, 0x03),
              4500, 4000, 4000),
    tiny("ATtiny15", memory(1024, 64, 0, 0x90, 0x06),
         {"CKSEL0", "CKSEL1", "", "", "RSTDISBL", "SPIEN", "BODEN", "BODLEVEL"}, 0xDC, 0x00),
    withTimes(
        mega("ATtiny2313", memory(2048, 128, 16, 0x91, 0x0A),
             {kLowDivided,
              BitNames{"RSTDISBL", "BODLEVEL0", "BODLEVEL1", "BODLEVEL2", "WDTON", "SPIEN", "EESAVE", "DWEN"},
              BitNames{"SELFPRGEN"}},
             {0x64, 0xDF, 0xFF}, kPlainLocks, 2),
        4500, 4000, 9000),
    mega("ATtiny26", memory(2048, 128, 16, 0x91, 0x09),
         {BitNames{"CKSEL0", "CKSEL1", "CKSEL2", "CKSEL3", "SUT0", "SUT1", "CKOPT", "PLLCK"},
          BitNames{"BODEN", "BODLEVEL", "EESAVE", "SPIEN", "RSTDISBL"},
          {}},
         {0xE1, 0xF7, 0xFF}, kPlainLocks, 4),
    classic("AT90S2313", memory(2048, 128, 0, 0x91, 0x01)),
    classic("AT90S8515", memory(8192, 512, 0, 0x93, 0x01)),
    withTimes(
        mega("AT90PWM2/3", memory(8192, 512, 32, 0x93, 0x81),
             {kLowDivided,
              BitNames{"BODLEVEL0", "BODLEVEL1", "BODLEVEL2", "EESAVE", "WDTON", "SPIEN", "DWEN", "RSTDISBL"},
              BitNames{"BOOTRST", "BOOTSZ0", "BOOTSZ1", "", "PSCRV", "PSC0RB", "PSC1RB", "PSC2RB"}},
             {0x62, 0xDF, 0xF9}, kBootLocks, 1),
        4500, 3600, 9000),
    withTimes(mega("ATmega48", memory(4096, 256, 32, 0x92, 0x05),
                   {kLowDivided, kHighDwen, BitNames{"SELFPRGEN"}}, {0x62, 0xDF, 0xFF}, kPlainLocks, 1),
              4500, 3600, 9000),
    mega("ATmega8", memory(8192, 512, 32, 0x93, 0x07),
         {kLowBod,
          BitNames{"BOOTRST", "BOOTSZ0", "BOOTSZ1", "EESAVE", "CKOPT", "SPIEN", "WDTON", "RSTDISBL"},
          {}},
         {0xE1, 0xD9, 0xFF}, kBootLocks, 4),
    withTimes(mega("ATmega88", memory(8192, 512, 32, 0x93, 0x0A),
                   {kLowDivided, kHighDwen, BitNames{"BOOTRST", "BOOTSZ0", "BOOTSZ1"}}, {0x62, 0xDF, 0xF9},
                   kBootLocks, 1),
              4500, 3600, 9000),
    mega("ATmega8515", memory(8192, 512, 32, 0x93, 0x06),
         {kLowBod,
          BitNames{"BOOTRST", "BOOTSZ0", "BOOTSZ1", "EESAVE", "CKOPT", "SPIEN", "WDTON", "S8515C"},
          {}},
         {0xE1, 0xD9, 0xFF}, kBootLocks, 4),
    mega("ATmega8535", memory(8192, 512, 32, 0x93, 0x08),
         {kLowBod,
          BitNames{"BOOTRST", "BOOTSZ0", "BOOTSZ1", "EESAVE", "CKOPT", "SPIEN", "WDTON", "S8535C"},
          {}},
         {0xE1, 0xD9, 0xFF}, kBootLocks, 4),
    mega("ATmega16", memory(16384, 512, 64, 0x94, 0x03), {kLowBod, kHighJtagCkopt, {}}, {0xE1, 0x99, 0xFF},
         kBootLocks, 4),
    [] {
        ChipProfile p =
            mega("ATmega161", memory(16384, 512, 64, 0x94, 0x01),
                 {BitNames{"CKSEL0", "CKSEL1", "CKSEL2", "BODEN", "BODLEVEL", "SPIEN", "BOOTRST"}, {}, {}},
                 {0xDA, 0xFF, 0xFF}, kBootLocks, 0, 0x07);
        p.generation = AvrGeneration::Mega161;
        return p;
    }(),
    mega("ATmega162", memory(16384, 512, 64, 0x94, 0x04),
         {kLowDivided, kHighJtagWdton, BitNames{"", "BODLEVEL0", "BODLEVEL1", "BODLEVEL2", "M161C"}},
         {0x62, 0x99, 0xFF}, kBootLocks, 1),
    mega("ATmega165", memory(16384, 512, 64, 0x94, 0x07),
         {kLowDivided, kHighJtagWdton, BitNames{"RSTDISBL", "BODLEVEL0", "BODLEVEL1", "BODLEVEL2"}},
         {0x62, 0x99, 0xFF}, kBootLocks, 1),
    withTimes(mega("ATmega168", memory(16384, 512, 64, 0x94, 0x06),
                   {kLowDivided, kHighDwen, BitNames{"BOOTRST", "BOOTSZ0", "BOOTSZ1"}}, {0x62, 0xDF, 0xF9},
                   kBootLocks, 1),
              4500, 3600, 9000),
    mega("ATmega169", memory(16384, 512, 64, 0x94, 0x05),
         {kLowDivided, kHighJtagWdton, BitNames{"RSTDISBL", "BODLEVEL0", "BODLEVEL1", "BODLEVEL2"}},
         {0x62, 0x99, 0xFF}, kBootLocks, 1),
    mega("ATmega32", memory(32768, 1024, 64, 0x95, 0x02), {kLowBod, kHighJtagCkopt, {}}, {0xE1, 0x99, 0xFF},
         kBootLocks, 4),
    mega("ATmega325/3250", memory(32768, 1024, 64, 0x95, 0x05),
         {kLowDivided, kHighJtagWdton, BitNames{"RSTDISBL", "BODLEVEL0", "BODLEVEL1"}}, {0x62, 0x99, 0xFF},
         kBootLocks, 1),
    mega("ATmega64", memory(65536, 2048, 128, 0x96, 0x02),
         {kLowBod, kHighJtagCkopt, BitNames{"WDTON", "M103C"}}, {0xE1, 0x99, 0xFD}, kBootLocks, 4),
    // Later data sheets give the ATmega644 the signature 1E 96 09; this one is the device table's.
    mega("ATmega644", memory(65536, 2048, 128, 0x96, 0x07),
         {kLowDivided, kHighJtagWdton, BitNames{"BODLEVEL0", "BODLEVEL1", "BODLEVEL2"}}, {0x62, 0x99, 0xFF},
         kBootLocks, 1),
    mega("ATmega645/6450", memory(65536, 2048, 128, 0x96, 0x05),
         {kLowDivided, kHighJtagWdton, BitNames{"RSTDISBL", "BODLEVEL0", "BODLEVEL1"}}, {0x62, 0x99, 0xFF},
         kBootLocks, 1),
    mega("ATmega128", memory(131072, 4096, 128, 0x97, 0x02),
         {kLowBod, kHighJtagCkopt, BitNames{"WDTON", "M103C"}}, {0xE1, 0x99, 0xFD}, kBootLocks, 4),
    mega("ATmega2560/2561", memory(262144, 4096, 128, 0x98, 0x02),
         {kLowDivided, kHighJtagWdton, BitNames{"BODLEVEL0", "BODLEVEL1", "BODLEVEL2"}}, {0x62, 0x99, 0xFF},
         kBootLocks, 1),
    at89("AT89S2051", memory(2048, 0, 0, 0x23, 0xFF), ChipKind::At89FourByte, 1000, 500000),
    at89("AT89S4051", memory(4096, 0, 0, 0x43, 0xFF), ChipKind::At89FourByte, 1000, 500000),
    at89("AT89S51", memory(4096, 0, 0, 0x51, 0x06), ChipKind::At89FourByte, 1000, 500000),
    at89("AT89S52", memory(8192, 0, 0, 0x52, 0x06), ChipKind::At89FourByte, 1000, 500000),
    at89("AT89S8252", at89NoSignature(8192, 2048), ChipKind::At89ThreeByte, 2500, 16000),
    at89("AT89S8253", memory(12288, 2048, 0, 0x73, 0xFF), ChipKind::At89FourByte, 1000, 500000, true),
    at89("AT89S53", at89NoSignature(12288, 0), ChipKind::At89ThreeByte, 2500, 16000),
    classic("AT86RF401", memory(2048, 128, 0, 0x91, 0x81)),
    at25("AT25256", 32768, 64),
    at25("AT25HP256", 32768, 128),
    at25("AT25HP512", 65536, 128),
    mega("AT90CAN128", memory(131072, 4096, 128, 0x97, 0x81),
         {kLowDivided, kHighJtagWdton, BitNames{"TA0SEL", "BODLEVEL0", "BODLEVEL1", "BODLEVEL2"}},
         {0x62, 0x99, 0xFF}, kBootLocks, 1),
    at45("AT45DB041", 2048, 264, 1, 0x07),
    at45("AT45DB081", 4096, 264, 1, 0x09),
    at45("AT45DB161", 4096, 528, 2, 0x0B),
    at45("AT45DB321", 8192, 528, 2, 0x0D),
    at45("AT45DB642", 8192, 1056, 3, 0x0F),
};

} // namespace

std::span<const ChipProfile> chipProfiles() { return kProfiles; }

const ChipProfile* findChipProfile(std::string_view name) {
    const std::string wanted(name);
    for (const ChipProfile& p : kProfiles) {
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
