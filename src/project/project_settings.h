// The settings of one programming job that a project file stores, with the values a project
// has when the program starts.
#pragma once

#include <cstdint>

#include "board/link_parameters.h" // kSckPeriodCount: the SCK periods the board knows
#include "devices/device_table.h"
#include "devices/lock_fuse_settings.h"

namespace tovel {

constexpr std::int32_t kStartSckPeriodIndex = 4; // "4 uS (250 kHz)"
constexpr std::int32_t kStartResetStrobeMs = 20;

struct ProjectSettings {
    bool flashInvert = false; // preview only: Flash byte pairs shown swapped
    bool polling = false;
    std::int32_t resetStrobeMs = kStartResetStrobeMs;
    bool checkSignature = false;
    bool noSynchronization = false;

    // Auto-program steps, in the order they run.
    bool autoErase = false;
    bool autoEmptyCheck = false;
    bool autoFlashReload = false;
    bool autoFlashProgram = false;
    bool autoFlashVerify = false;
    bool autoEepromReload = false;
    bool autoEepromProgram = false;
    bool autoEepromVerify = false;

    // Serial-number counters: up to 4 bytes, most significant first, ending at the address.
    bool autoIncrementFlash = false;
    bool autoIncrementEeprom = false;
    bool programFuses = false; // auto-program also programs lockFuseSelection
    LockFuseSettings lockFuseSelection;
    std::uint32_t autoIncAddressFlash = 0;
    std::uint32_t autoIncAddressEeprom = 0;

    std::int32_t deviceIndex = DeviceTable::defaultDeviceNo(); // row of the DeviceTable
    std::int32_t sckPeriodIndex = kStartSckPeriodIndex;        // 0..7

    // Write delays: when an override is on, its value replaces the device's own for that memory.
    bool flashByteDelayOverride = false;
    bool flashPageDelayOverride = false;
    std::uint32_t flashByteDelayMs = 9;
    std::int32_t flashPageDelayMs = 6;
    bool eepromByteDelayOverride = false;
    bool eepromPageDelayOverride = false;
    std::uint32_t eepromByteDelayMs = 10;
    std::int32_t eepromPageDelayMs = 10;

    // "Write only changed data": EEPROM, AT25 and AT45 runs read the chip first and write only
    // the bytes or pages that differ.
    bool writeChangedOnly = false;

    bool operator==(const ProjectSettings&) const = default;
};

// The "New" state: clears the lock/fuse selection, the display and auto-program flags, the
// counters, "Write only changed data", and sets the SCK period to its start value. The device, reset strobe,
// signature check, synchronisation and all delay settings are kept.
void resetToNew(ProjectSettings& settings);

// Values outside their ranges are replaced by replaceOutOfRangeValues (value_ranges.h).

} // namespace tovel
