// Read Flash and Read EEPROM: replace the buffer with the chip's memory (the buffer takes the
// chip's size before the board is contacted, so a failed or cancelled read leaves 0xFF where
// nothing came). The operation status is not changed. The status line ends with the buffer's
// length and checksum. Ok only when every byte came from the chip asked for.
#pragma once

#include "core/outcome.h"

namespace tovel {

struct ChipContext;

Outcome readFlash(ChipContext& context);
Outcome readEeprom(ChipContext& context);

} // namespace tovel
