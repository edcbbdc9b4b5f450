// Auto-program (command 1015): the project's chain of steps, each the ordinary handler of its
// operation, read back through the operation status and the verified flags:
//
//   erase, blank check, Flash reload / program / verify / counter, EEPROM reload / program /
//   verify / counter, lock and fuse bits.
//
// The first step that fails ends the run with its own text; a lock/fuse failure only brings a
// box. A run that programmed or verified something and found everything verified ends with a
// DONE text and sets `autoProgramOk`.
//
// The outcome is the first failed step's (a step without its image: File), or the lock/fuse
// step's when that alone failed: the window's DONE then stands, but the chip is not what the
// project asks for.
#pragma once

#include "core/outcome.h"

namespace tovel {

struct ChipContext;

Outcome autoProgram(ChipContext& context);

// The run with no one at the bench: clears autoProgramOk, runs auto-program, shows
// "AUTOPROGRAM: OK" or "AUTOPROGRAM: Error" in a plain box (after `autoProgramOk`) and returns
// the run's outcome.
Outcome runUnattendedAutoProgram(ChipContext& context);

} // namespace tovel
