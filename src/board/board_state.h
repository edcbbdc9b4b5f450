// What the program knows about the board from the last exchanges. Kept between sessions until
// overwritten; the firmware update reads the two flags.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace tovel {

struct BoardState {
    std::array<std::uint8_t, 3> boardVersion{}; // the last ShortVersion reply; zeros when it did not come
    std::string boardVersionText;               // the last LongVersion text
    bool loaderSeen = false;                    // the last version check met the board's loader ("ldr"/"ld2")
    bool versionMismatch = false;               // the last version check met another firmware version
    bool dataFlashDetected = false;             // the last AT45 session found the AT45 it was opened for
};

} // namespace tovel
