// Blank check: does the chip's whole Flash read as 0xFF? Sets the operation status to 0 (blank),
// 1 (not blank) or -1 (error or cancelled); auto-program reads it.
#pragma once

namespace tovel {

struct ChipContext;

void blankCheck(ChipContext& context);

} // namespace tovel
