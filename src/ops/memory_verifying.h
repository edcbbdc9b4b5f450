// Verify Flash and Verify EEPROM: compare the chip with the buffer, mark every byte, report the
// first difference. They set the verified flag of their memory, and return the outcome (Ok only
// when no byte differed, VerifyMismatch when one did) and keep it as the operation status, which
// auto-program reads.
#pragma once

#include "core/outcome.h"

namespace tovel {

struct ChipContext;

Outcome verifyFlash(ChipContext& context);
Outcome verifyEeprom(ChipContext& context);

} // namespace tovel
