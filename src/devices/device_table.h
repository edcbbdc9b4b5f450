// The catalogue of supported chips. The row index (DeviceNo) is stored in project files,
// so the row order is part of the file format and must never change.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace tovel {

enum Family : std::uint32_t {
    FamilyAt25 = 0,
    FamilyAt45 = 1,
    FamilyAt86 = 2,
    FamilyAt89 = 3,
    FamilyAt90 = 4,
    FamilyTiny = 5,
    FamilyMega = 6,
};
constexpr int kFamilyCount = 7;

// Command-set variants of the board.
enum SpiVariant : std::uint32_t {
    SpiAvr = 0,       // AVR serial programming, also AT45
    SpiAt89S8252 = 1, // 3-byte instructions
    SpiAt89S53 = 3,   // 3-byte instructions
    SpiAt89S51 = 4,   // 4-byte programming enable, readable lock bits
    SpiAt25 = 10,     // serial EEPROM
};

struct DeviceRecord {
    std::uint32_t family;
    const char* name;
    std::uint32_t pageSize;   // AVR: words; AT25: bytes; AT45: bytes; 0 = byte mode
    std::uint32_t flashSize;  // bytes; AT45: the whole array
    std::uint32_t eepromSize; // bytes; AT45: page-address shift (1..3)
    std::array<std::uint8_t, 3> signature;
    std::array<std::uint8_t, 3> altSignature;
    std::uint32_t spiVariant;
    std::int32_t flashWriteDelayCode;
    std::int32_t flashReadDelayCode;
    std::int32_t eepromWriteDelayCode;
    std::int32_t eepromReadDelayCode;
    std::uint32_t pageWriteTimeMs;
    std::uint32_t boardDeviceClass;
    std::int32_t fuseLayout; // -1: no lock/fuse bits
    std::uint32_t longProgEnable;
    std::uint32_t calibrationBytes;

    bool isDataFlash() const { return family == FamilyAt45; }
    bool isSerialEeprom() const { return spiVariant == SpiAt25; }
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
