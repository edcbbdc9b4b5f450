// What each supported chip is on the inside, from its data sheet: memory sizes and pages,
// signature, instruction set generation, fuse and lock bytes with their bit names and factory
// values, calibration bytes and write times. Kept apart from the host's device table and
// lock/fuse tables on purpose: a test compares the two row by row, so a wrong value on either
// side fails instead of being copied into the chip that is meant to check it.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "sim/chip_geometry.h"

namespace tovel::sim {

enum class ChipKind {
    Avr,           // AVR serial programming (4-byte instructions)
    At89ThreeByte, // AT89S8252, AT89S53
    At89FourByte,  // AT89S51/52/2051/4051/8253
    At25,          // serial EEPROM
    At45,          // DataFlash
};

// AVR serial instruction sets differ in where the lock and fuse bits sit.
enum class AvrGeneration {
    Classic, // AT90S, AT86RF401: lock bits in byte 2 of the write, no lock or fuse read
    Tiny,    // ATtiny12/15: one fuse byte (write 101x xxxx), lock bits in byte 2, lock read 58
    Mega161, // ATmega161: one fuse byte, lock bits in byte 4, lock read 58 (any byte 2)
    Mega,    // low/high/extended fuses (A0/A8/A4), lock in byte 4, reads 50 00/58 08/50 08/58 00
};

// A fuse bit by byte (0 low, 1 high, 2 extended) and bit number; byte 0xFF = the chip has none.
struct FuseBitPosition {
    std::uint8_t byte = 0xFF;
    std::uint8_t bit = 0;
    bool exists() const { return byte != 0xFF; }
};

// Bit names of one fuse or lock byte, bit 0 upward; an empty name: the chip has no such bit.
using BitNames = std::array<std::string_view, 8>;

struct ChipProfile {
    std::string_view name;
    ChipKind kind = ChipKind::Avr;
    AvrGeneration generation = AvrGeneration::Mega;
    ChipGeometry geometry; // sizes and signature from the chip's data sheet
    // Fuse bytes (low, high, extended) and the lock byte as the chip reads them back. The names
    // are the chip's own and decide which bits exist (fuseMask, lockMask) and where the bits that
    // matter to serial programming sit (spien ... eesave below are derived from them).
    std::array<BitNames, 3> fuseNames{};
    BitNames lockNames{};
    unsigned fuseBytes = 0;
    std::array<std::uint8_t, 3> fuseDefaults{0xFF, 0xFF, 0xFF};
    std::array<std::uint8_t, 3> fuseMask{0x00, 0x00, 0x00}; // implemented bits
    std::uint8_t lockMask = 0x00;                           // implemented lock bits (own read-back format)
    FuseBitPosition spien;                                  // read-only in serial programming
    FuseBitPosition rstdisbl;           // programmed: the reset pin no longer enters programming
    FuseBitPosition dwen;               // programmed: debugWIRE takes the reset pin
    FuseBitPosition eesave;             // programmed: chip erase keeps the EEPROM
    std::uint8_t externalClockMask = 0; // low-fuse CKSEL bits that, all programmed, mean external clock
    unsigned calibrationCount = 0;
    unsigned flashWriteUs = 4500;  // page write (page parts) or byte write
    unsigned eepromWriteUs = 9000; // one byte
    unsigned eraseUs = 9000;
    unsigned fuseWriteUs = 4500;
    std::uint8_t dataFlashDensity = 0; // AT45: density code in status bits 5..2
    bool at89SignatureInByte3 = false; // AT89S8253: 28 xx 30+i

    // The fuse bit of this name, or none.
    constexpr FuseBitPosition fuseBit(std::string_view bitName) const {
        for (std::uint8_t byte = 0; byte < 3; ++byte)
            for (std::uint8_t bit = 0; bit < 8; ++bit)
                if (fuseNames[byte][bit] == bitName) return {byte, bit};
        return {};
    }
};

// Every chip the simulator knows, in no particular order.
std::span<const ChipProfile> chipProfiles();

// The profile of a chip name as the device table spells it (case-insensitive); nullptr when none.
const ChipProfile* findChipProfile(std::string_view name);
// The profile used for a chip given only by its signature: an AVR page part.
const ChipProfile& unknownAvrProfile();

} // namespace tovel::sim
