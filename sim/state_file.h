// The chip's memories kept in a file between runs of the simulator. The file names the chip it
// belongs to; a file for another chip, or a damaged one, is not loaded. Saving writes a
// temporary file beside the target and renames it, so a failed save keeps the old file.
//
// Format: the line "tovel-sim state 1", the line "device NAME", then sections: "flash N" or
// "eeprom N" followed by a newline and N raw bytes; "fuses LL HH EE", "lock LL",
// "calibration C0 C1 C2 C3" (hexadecimal), each on its own line.
#pragma once

#include <optional>
#include <string>

#include "sim/chip_memories.h"

namespace tovel::sim {

bool saveState(const std::string& path, const std::string& device, const ChipMemories& memories,
               std::string& error);

enum class StateLoad { Loaded, Missing, OtherDevice, Damaged };
// Reads `path` into `memories` (whose vectors give the chip's sizes; sections of another size are
// refused as damaged). Nothing is changed unless the result is Loaded. `foundDevice`, when
// given, receives the chip named in the file.
StateLoad loadState(const std::string& path, const std::string& device, ChipMemories& memories,
                    std::string* foundDevice = nullptr);

} // namespace tovel::sim
