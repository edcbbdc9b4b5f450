// Program Flash and Program EEPROM: write the buffer into the chip behind the progress display,
// report the result on the status line (and in a box on failure), end the session and, when the
// project asks for it, increment the serial counter in the buffer for the next chip. The outcome
// is returned and kept as the operation status.
#pragma once

#include "core/outcome.h"

namespace tovel {

struct ChipContext;

// Runs the signature gate before writing when the project's signature check is on.
Outcome programFlash(ChipContext& context);
Outcome programEeprom(ChipContext& context);

} // namespace tovel
