#include "devices/device_table.h"

#include <cstring>
#include <strings.h>

namespace tovel {

namespace {

using F = Family;
using V = SpiVariant;

// One row a chip; the row number (DeviceNo) is stored in project files. Columns: family, name,
// pageSize, flashSize, eepromSize, signature, altSignature, spiVariant, the delay codes (Flash write,
// Flash read, EEPROM write, EEPROM read), pageWriteTimeMs, boardDeviceClass, fuseLayout,
// calibrationBytes, dataFlashPageShift. longProgEnable is 0 in every row.
// clang-format off
const DeviceRecord kRows[DeviceTable::kDeviceCount] = {
    {F::Tiny, "ATtiny12",           0,    1024,    64, {0x1E, 0x90, 0x05}, {0x1E, 0x90, 0x05}, V::Avr,       0xDC, 0xDC, 0xDC, 0xDC, 15, 4,  8, 1, 0}, // 0
    {F::Tiny, "ATtiny13",          16,    1024,    64, {0x1E, 0x90, 0x07}, {0x1E, 0x90, 0x07}, V::Avr,       0xDC, 0xDC, 0xDC, 0xDC, 15, 4, 23, 1, 0}, // 1
    {F::Tiny, "ATtiny15",           0,    1024,    64, {0x1E, 0x90, 0x06}, {0x1E, 0x90, 0x06}, V::Avr,       0xDC, 0xDC, 0xDC, 0xDC, 15, 4,  4, 1, 0}, // 2
    {F::Tiny, "ATtiny2313",        16,    2048,   128, {0x1E, 0x91, 0x0A}, {0x1E, 0x91, 0x0A}, V::Avr,       0xDC, 0xDC, 0xA1, 0xDC, 15, 0, 24, 4, 0}, // 3
    {F::Tiny, "ATtiny26",          16,    2048,   128, {0x1E, 0x91, 0x09}, {0x1E, 0x91, 0x09}, V::Avr,       0xDC, 0xDC, 0xA1, 0xDC, 15, 0, 14, 4, 0}, // 4
    {F::At90, "AT90S2313",          0,    2048,   128, {0x1E, 0x91, 0x01}, {0x1E, 0x91, 0x01}, V::Avr,       0xDC, 0xDC, 0xDC, 0xDC, 15, 0,  0, 0, 0}, // 5
    {F::At90, "AT90S8515",          0,    8192,   512, {0x1E, 0x93, 0x01}, {0x1E, 0x93, 0x01}, V::Avr,       0xDC, 0xDC, 0xDC, 0xDC, 15, 0,  0, 0, 0}, // 6
    {F::At90, "AT90PWM2/3",        32,    8192,   512, {0x1E, 0x93, 0x81}, {0x1E, 0x93, 0x81}, V::Avr,       0xDC, 0xDC, 0xDC, 0xDC, 15, 2, 12, 4, 0}, // 7
    {F::Mega, "ATmega48",          32,    4096,   256, {0x1E, 0x92, 0x05}, {0x1E, 0x92, 0x05}, V::Avr,       0xDC, 0xDC, 0xDC, 0xDC, 15, 2, 25, 4, 0}, // 8
    {F::Mega, "ATmega8",           32,    8192,   512, {0x1E, 0x93, 0x07}, {0x1E, 0x93, 0x07}, V::Avr,       0xDC, 0xDC, 0xDC, 0xDC, 15, 2, 12, 4, 0}, // 9
    {F::Mega, "ATmega88",          32,    8192,   512, {0x1E, 0x93, 0x0A}, {0x1E, 0x93, 0x0A}, V::Avr,       0xDC, 0xDC, 0xDC, 0xDC, 15, 2, 26, 4, 0}, // 10
    {F::Mega, "ATmega8515",        32,    8192,   512, {0x1E, 0x93, 0x06}, {0x1E, 0x93, 0x06}, V::Avr,       0xDC, 0xDC, 0xA1, 0xDC, 15, 2, 17, 4, 0}, // 11
    {F::Mega, "ATmega8535",        32,    8192,   512, {0x1E, 0x93, 0x08}, {0x1E, 0x93, 0x08}, V::Avr,       0xDC, 0xDC, 0xA1, 0xC0, 15, 2, 18, 4, 0}, // 12
    {F::Mega, "ATmega16",          64,   16384,   512, {0x1E, 0x94, 0x03}, {0x1E, 0x94, 0x03}, V::Avr,       0xDC, 0xDC, 0xC0, 0xC0, 15, 2, 13, 1, 0}, // 13
    {F::Mega, "ATmega161",         64,   16384,   512, {0x1E, 0x94, 0x01}, {0x1E, 0x94, 0x01}, V::Avr,       0xDC, 0xDC, 0xC0, 0xC0, 15, 2, 11, 1, 0}, // 14
    {F::Mega, "ATmega162",         64,   16384,   512, {0x1E, 0x94, 0x04}, {0x1E, 0x94, 0x04}, V::Avr,       0xDC, 0xDC, 0xC0, 0xC0, 15, 2, 19, 1, 0}, // 15
    {F::Mega, "ATmega165",         64,   16384,   512, {0x1E, 0x94, 0x07}, {0x1E, 0x94, 0x07}, V::Avr,       0xDC, 0xDC, 0xC0, 0xC0, 15, 2, 21, 1, 0}, // 16
    {F::Mega, "ATmega168",         64,   16384,   512, {0x1E, 0x94, 0x06}, {0x1E, 0x94, 0x06}, V::Avr,       0xDC, 0xDC, 0xDC, 0xDC, 15, 2, 26, 4, 0}, // 17
    {F::Mega, "ATmega169",         64,   16384,   512, {0x1E, 0x94, 0x05}, {0x1E, 0x94, 0x05}, V::Avr,       0xDC, 0xDC, 0xC0, 0xC0, 15, 2, 21, 1, 0}, // 18
    {F::Mega, "ATmega32",          64,   32768,  1024, {0x1E, 0x95, 0x02}, {0x1E, 0x95, 0x02}, V::Avr,       0x96, 0xDC, 0xC0, 0xC0, 15, 2, 16, 4, 0}, // 19
    {F::Mega, "ATmega325/3250",    64,   32768,  1024, {0x1E, 0x95, 0x05}, {0x1E, 0x95, 0x06}, V::Avr,       0x96, 0xDC, 0xC0, 0xC0, 15, 2, 30, 1, 0}, // 20
    {F::Mega, "ATmega64",         128,   65536,  2048, {0x1E, 0x96, 0x02}, {0x1E, 0x96, 0x02}, V::Avr,       0xDC, 0xDC, 0xC0, 0xC0, 15, 2, 20, 4, 0}, // 21
    {F::Mega, "ATmega644",        128,   65536,  2048, {0x1E, 0x96, 0x07}, {0x1E, 0x96, 0x07}, V::Avr,       0xDC, 0xDC, 0xC0, 0xC0, 15, 2, 32, 4, 0}, // 22
    {F::Mega, "ATmega645/6450",   128,   65536,  2048, {0x1E, 0x96, 0x05}, {0x1E, 0x96, 0x06}, V::Avr,       0xDC, 0xDC, 0xC0, 0xC0, 15, 2, 30, 4, 0}, // 23
    {F::Mega, "ATmega128",        128,  131072,  4096, {0x1E, 0x97, 0x02}, {0x1E, 0x01, 0x02}, V::Avr,       0xDC, 0xDC, 0xC0, 0xC0, 15, 2, 10, 4, 0}, // 24
    {F::Mega, "ATmega2560/2561",  128,  262144,  4096, {0x1E, 0x98, 0x02}, {0x1E, 0x01, 0x03}, V::Avr,       0xDC, 0xDC, 0xC0, 0xC0, 15, 2, 10, 4, 0}, // 25
    {F::At89, "AT89S2051",          0,    2048,     0, {0x1E, 0x23, 0xFF}, {0x1E, 0x23, 0xFF}, V::At89S51,   0x50, 0x50, 0xDC, 0x50, 15, 3, 28, 0, 0}, // 26
    {F::At89, "AT89S4051",          0,    4096,     0, {0x1E, 0x43, 0xFF}, {0x1E, 0x43, 0xFF}, V::At89S51,   0x50, 0x50, 0xDC, 0x50, 15, 3, 28, 0, 0}, // 27
    {F::At89, "AT89S51",            0,    4096,     0, {0x1E, 0x51, 0x06}, {0x1E, 0x51, 0x06}, V::At89S51,   0x50, 0x50, 0xDC, 0x50, 15, 1,  1, 0, 0}, // 28
    {F::At89, "AT89S52",            0,    8192,     0, {0x1E, 0x52, 0x06}, {0x1E, 0x52, 0x06}, V::At89S51,   0x50, 0x50, 0xDC, 0x50, 15, 1,  1, 0, 0}, // 29
    {F::At89, "AT89S8252",          0,    8192,  2048, {0x00, 0xFF, 0x00}, {0x00, 0xFF, 0x00}, V::At89S8252, 0x50, 0x50, 0xDC, 0x50, 15, 1, 27, 0, 0}, // 30
    {F::At89, "AT89S8253",          0,   12288,  2048, {0x1E, 0x73, 0xFF}, {0x1E, 0x73, 0xFF}, V::At89S51,   0x50, 0x50, 0xDC, 0x50, 15, 3, 28, 0, 0}, // 31
    {F::At89, "AT89S53",            0,   12288,     0, {0x00, 0xFF, 0x00}, {0x00, 0xFF, 0x00}, V::At89S53,   0x50, 0x50, 0xDC, 0x50, 15, 3, 28, 0, 0}, // 32
    {F::At86, "AT86RF401",          0,    2048,   128, {0x1E, 0x91, 0x81}, {0x1E, 0x91, 0x81}, V::Avr,       0xDC, 0xDC, 0xDC, 0xDC, 15, 0, 22, 0, 0}, // 33
    {F::At25, "AT25256",           64,       0, 32768, {0x00, 0x00, 0x00}, {0x00, 0x00, 0x00}, V::At25,      0x00, 0x00, 0x00, 0x00,  0, 0,  0, 0, 0}, // 34
    {F::At25, "AT25HP256",        128,       0, 32768, {0x00, 0x00, 0x00}, {0x00, 0x00, 0x00}, V::At25,      0x00, 0x00, 0x00, 0x00,  0, 0,  0, 0, 0}, // 35
    {F::At25, "AT25HP512",        128,       0, 65536, {0x00, 0x00, 0x00}, {0x00, 0x00, 0x00}, V::At25,      0x00, 0x00, 0x00, 0x00,  0, 0,  0, 0, 0}, // 36
    {F::At90, "AT90CAN128",       128,  131072,  4096, {0x1E, 0x97, 0x81}, {0x1E, 0x97, 0x81}, V::Avr,       0xDC, 0xDC, 0xC0, 0xC0, 15, 2, 29, 4, 0}, // 37
    {F::At45, "AT45DB041",        264,  524288,     0, {0x1C, 0x3C, 0x00}, {0x00, 0x00, 0x00}, V::Avr,       0xFF, 0xFF, 0xFF, 0xFF, 40, 0,  0, 0, 1}, // 38
    {F::At45, "AT45DB081",        264, 1048576,     0, {0x24, 0x3C, 0x00}, {0x00, 0x00, 0x00}, V::Avr,       0xFF, 0xFF, 0xFF, 0xFF, 40, 0,  0, 0, 1}, // 39
    {F::At45, "AT45DB161",        528, 2097152,     0, {0x2C, 0x3C, 0x00}, {0x00, 0x00, 0x00}, V::Avr,       0xFF, 0xFF, 0xFF, 0xFF, 40, 0,  0, 0, 2}, // 40
    {F::At45, "AT45DB321",        528, 4194304,     0, {0x34, 0x3C, 0x00}, {0x00, 0x00, 0x00}, V::Avr,       0xFF, 0xFF, 0xFF, 0xFF, 40, 0,  0, 0, 2}, // 41
    {F::At45, "AT45DB642",       1056, 8388608,     0, {0x3C, 0x3C, 0x00}, {0x00, 0x00, 0x00}, V::Avr,       0xFF, 0xFF, 0xFF, 0xFF, 40, 0,  0, 0, 3}, // 42
};
// clang-format on

const char* const kFamilyNames[kFamilyCount] = {"AT25...", "AT45...",   "AT86...",  "AT89S...",
                                                "AT90...", "ATtiny...", "ATmega..."};

} // namespace

namespace DeviceTable {

int deviceCount() { return kDeviceCount; }

bool isValidDeviceNo(long n) { return n >= 0 && n < kDeviceCount; }

const DeviceRecord& device(int n) {
    // A bad index is a programming error; clamp rather than read outside the table.
    if (!isValidDeviceNo(n)) n = defaultDeviceNo();
    return kRows[n];
}

const char* familyName(int family) {
    if (family < 0 || family >= kFamilyCount) return "";
    return kFamilyNames[family];
}

std::vector<int> devicesOfFamily(int family) {
    std::vector<int> rows;
    for (int n = 0; n < kDeviceCount; ++n)
        if (familyPosition(kRows[n].family) == family) rows.push_back(n);
    return rows;
}

int deviceNoFromSelection(int familyPos, int devicePos) {
    int count = 0;
    for (int n = 0; n < kDeviceCount; ++n) {
        if (familyPosition(kRows[n].family) != familyPos) continue;
        if (count == devicePos) return n;
        ++count;
    }
    return -1;
}

DeviceSelection selectionFromDeviceNo(int n) {
    if (!isValidDeviceNo(n)) return {-1, -1};
    int before = 0;
    for (int i = 0; i < n; ++i)
        if (kRows[i].family == kRows[n].family) ++before;
    return {familyPosition(kRows[n].family), before};
}

int findBySignature(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2) {
    if (b0 != 0x1E) return -1;
    const std::array<std::uint8_t, 3> wanted{b0, b1, b2};
    for (int n = 0; n < kDeviceCount; ++n)
        if (kRows[n].signature == wanted || kRows[n].altSignature == wanted) return n;
    return -1;
}

int findDataFlashByStatus(std::uint8_t status) {
    if (status == 0xFF) return -1;
    for (int n = 0; n < kDeviceCount; ++n) {
        const DeviceRecord& row = kRows[n];
        if (row.isDataFlash() && (status & row.signature[1]) == row.signature[0]) return n;
    }
    return -1;
}

int defaultDeviceNo() {
    for (int n = 0; n < kDeviceCount; ++n)
        if (std::strcmp(kRows[n].name, "ATmega8") == 0) return n;
    return 0;
}

int findByName(const char* name) {
    if (name == nullptr) return -1;
    for (int n = 0; n < kDeviceCount; ++n)
        if (strcasecmp(kRows[n].name, name) == 0) return n;
    return -1;
}

} // namespace DeviceTable

} // namespace tovel
