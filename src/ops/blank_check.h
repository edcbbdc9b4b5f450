// Blank check: does the chip's whole Flash read as 0xFF? Returns the outcome (Ok blank, NotBlank,
// or why it could not tell) and keeps it as the operation status; auto-program reads it.
#pragma once

#include "core/outcome.h"

namespace tovel {

struct ChipContext;

Outcome blankCheck(ChipContext& context);

} // namespace tovel
