// The keys of a project file (".tvl"), in the order they are written, with the defaults used
// when a key is missing on load.
//
//   [Files]       Flash, Eeprom (image paths, "[Unspecified]" for none), FlashInvert
//   [Settings]    Polling, CheckSign, NoSynchronization, ResetStrobeLength, SPIPeriod
//   [AutoProgram] the eight step flags, AutoIncrementFlash, AutoIncrement, ProgramFuse,
//                 LockMode, Fuse0..Fuse31, BootLock0..BootLock15, AutoIncAddressFlash, AutoIncAddress
//   [Device]      DeviceNo (row of the device table)
//   [Delays]      DelayByte, DelayPage, DelayByteValue, DelayPageValue and the same with "2" (EEPROM)
//   [Settings]    WriteChangedOnly, written last so that older files keep their order
//
// Booleans are written "1"/"0" and read as any non-zero integer; integers are decimal.
#pragma once

#include <string>
#include <string_view>

#include "project/project_settings.h"

namespace tovel {

class IniFile;

// A file is a project file when it has the key Files/Flash, whatever its value (even empty).
bool isProjectFile(const IniFile& file);

// Every stored setting with its default for a missing key (ResetStrobeLength 400, SPIPeriod 4,
// DeviceNo the ATmega8 row, every other key 0). Values are taken as they stand; see
// replaceOutOfRangeValues. The lock/fuse selection's `readable` byte is not stored and is 0.
ProjectSettings readProjectSettings(const IniFile& file);

// The image paths as stored, "[Unspecified]" when missing.
std::string storedFlashFile(const IniFile& file);
std::string storedEepromFile(const IniFile& file);

// Writes all 79 keys in their order, updating keys in place and keeping every other line.
// False when a value could not be stored (an image path with a line break).
bool writeProjectKeys(IniFile& file, const ProjectSettings& settings, std::string_view flashFile,
                      std::string_view eepromFile);

} // namespace tovel
