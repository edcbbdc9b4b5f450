// The board firmware image. The program carries no firmware of its own: the image is a data file
// installed with it (or named by the person), sent unchanged to the board's loader. It must be
// exactly 3,072 groups of 4 bytes; anything else is refused before a byte goes to the board.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tovel {

inline constexpr const char* kFirmwareImageFileName = "tovel-firmware.bin";

struct FirmwareImageLoad {
    bool ok = false;
    std::string path;                // the file read (or the first place looked at)
    std::string reason;              // why it cannot be used, when not ok
    std::vector<std::uint8_t> bytes; // exactly protocol::FirmwareImageSize bytes when ok
};

// Where the installed image is looked for, in order: the program's data directory (fixed at
// build time), then data/ beside the executable.
std::vector<std::string> firmwareImageLocations();

// Reads `explicitPath`, or with an empty path the first installed image that exists.
FirmwareImageLoad loadFirmwareImage(const std::string& explicitPath);

// The version text shown for the image: "10.01" for the required version M01.
std::string firmwareImageVersionText();

} // namespace tovel
