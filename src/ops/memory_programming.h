// Program Flash and Program EEPROM: write the buffer into the chip behind the progress display,
// report the result on the status line (and in a box on failure), set the operation status
// (0 done, -1 otherwise), end the session and, when the project asks for it, increment the
// serial counter in the buffer for the next chip.
#pragma once

namespace tovel {

struct ChipContext;

// Runs the signature gate before writing when the project's signature check is on.
void programFlash(ChipContext& context);
void programEeprom(ChipContext& context);

} // namespace tovel
