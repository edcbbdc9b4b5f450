// Puts a chip in the socket: a chip by name, a chip given only by its signature, or none.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "sim/chip.h"

namespace tovel::sim {

struct ChipRequest {
    std::string device; // chip name as the device table spells it (case-insensitive), or "none"/"empty"
    std::optional<std::array<std::uint8_t, 3>>
        signature; // with a table name: that chip answering with this signature
    bool externalClock = false;
};

// The chip, or nullptr when the name is neither a known chip nor "none"/"empty".
std::unique_ptr<Chip> makeChip(const ChipRequest& request);
// Whether a name selects an empty socket.
bool isEmptySocketName(const std::string& device);

} // namespace tovel::sim
