// What the main window recomputes after every change: its title and which commands are enabled.
// Pure functions of the state, so the desktop program and the command line apply one rule.
#pragma once

#include <string>

#include "i18n/messages.h"

namespace tovel {

// The buttons (and the one menu item) whose enabled state depends on the device and the buffers.
// The menu items with the same ids stay enabled, except Read Calibration Bytes.
struct CommandStates {
    bool readCalibrationBytes = false; // menu item 32904: the device has calibration bytes
    bool readFlash = false;            // 1013: the device has Flash
    bool programFlash = false;         // 1009: the Flash buffer holds data
    bool verifyFlash = false;          // 1010: as programFlash
    bool readEeprom = false;           // 1014: the device has EEPROM and is not an AT45
    bool programEeprom = false;        // 1011: readEeprom and the EEPROM buffer holds data
    bool verifyEeprom = false;         // 1012: as programEeprom
    bool chipErase = false;            // 1008: not an AT25 serial EEPROM
    bool blankCheck = false;           // 32779: as chipErase
    bool autoProgram = false;          // 1015: neither an AT25 nor an AT45
    bool readSignature = false;        // 1103: AVR or AT89S51-style command set
    bool sckPeriod = false;            // SCK period list: not for an AT45

    bool operator==(const CommandStates&) const = default;
};

// Which of the two buffers hold data.
struct BufferContents {
    bool flashHasData = false;
    bool eepromHasData = false;
};

// The rules for device row `deviceNo` (a row outside the table enables none of the device rules).
CommandStates commandStatesFor(int deviceNo, const BufferContents& buffers);

// "<project file>[*] - Tovel/Tovel-U In-System Programmer 11.01".
std::string windowTitle(const std::string& projectFileName, bool projectModified, const Messages& messages);

} // namespace tovel
