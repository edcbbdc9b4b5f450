// The catalogue of supported chips. The row index (DeviceNo) is stored in project files,
// so the row order is part of the file format and must never change.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace tovel {

// The family groups of the device combos, in combo order (the value is the combo position).
enum class Family : std::uint32_t {
    At25 = 0, // serial EEPROM
    At45 = 1, // DataFlash
    At86 = 2,
    At89 = 3,
    At90 = 4,
    Tiny = 5,
    Mega = 6,
};
constexpr int kFamilyCount = 7;
constexpr int familyPosition(Family family) { return static_cast<int>(family); }

// The board's command set for a chip.
enum class SpiVariant : std::uint32_t {
    Avr = 0,       // AVR serial programming, also AT45
    At89S8252 = 1, // 3-byte instructions
    At89S53 = 3,   // 3-byte instructions
    At89S51 = 4,   // 4-byte programming enable, readable lock bits
    At25 = 10,     // serial EEPROM
};

struct DeviceRecord {
    Family family;
    const char* name;
    std::uint32_t pageSize;                   // AVR: words; AT25: bytes; AT45: bytes; 0 = byte mode
    std::uint32_t flashSize;                  // bytes; AT45: the whole array
    std::uint32_t eepromSize;                 // bytes; AT25: the serial EEPROM itself; 0 = none (also AT45)
    std::array<std::uint8_t, 3> signature;    // AT45: density code, status mask, 0
    std::array<std::uint8_t, 3> altSignature; // also identifies this row; AT45: unused
    SpiVariant spiVariant;
    std::int32_t flashWriteDelayCode; // wait codes sent as a byte, see delayCodeFromMs
    std::int32_t flashReadDelayCode;
    std::int32_t eepromWriteDelayCode;
    std::int32_t eepromReadDelayCode;
    std::uint32_t pageWriteTimeMs;
    std::uint32_t boardDeviceClass;
    std::int32_t fuseLayout; // -1: no lock/fuse bits
    std::uint32_t calibrationBytes;
    // AT45 only (1..3): page number << (8 + shift) is the 24-bit DataFlash address.
    std::uint32_t dataFlashPageShift = 0;
    // Nonzero: an AVR enters programming with the 4-byte enable instead of the board's own.
    std::uint32_t longProgEnable = 0;

    bool isDataFlash() const { return family == Family::At45; }
    bool isSerialEeprom() const { return spiVariant == SpiVariant::At25; }
};

struct DeviceSelection {
    int familyPos;
    int devicePos;
};

namespace DeviceTable {

constexpr int kDeviceCount = 43;

int deviceCount();
bool isValidDeviceNo(long n);
// Row n; n must be valid (see isValidDeviceNo). Values from files are checked first.
const DeviceRecord& device(int n);
// By family combo position (familyPosition); "" or no rows outside 0..6.
const char* familyName(int family);
std::vector<int> devicesOfFamily(int family);
int deviceNoFromSelection(int familyPos, int devicePos);
DeviceSelection selectionFromDeviceNo(int n);
int findBySignature(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2);
int findDataFlashByStatus(std::uint8_t status);
int defaultDeviceNo();
// Row whose name matches, ignoring case; -1 when none.
int findByName(const char* name);

} // namespace DeviceTable

// Wait code for a delay of d milliseconds, as the board's wait command takes it.
constexpr std::uint8_t delayCodeFromMs(int ms) { return static_cast<std::uint8_t>((255 - 7 * ms) & 0xFF); }

} // namespace tovel
