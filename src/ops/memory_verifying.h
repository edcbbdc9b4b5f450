// Verify Flash and Verify EEPROM: compare the chip with the buffer, mark every byte, report the
// first difference. They set the verified flag of their memory and the operation status (0 only
// when no byte differed), which auto-program reads.
#pragma once

namespace tovel {

struct ChipContext;

void verifyFlash(ChipContext& context);
void verifyEeprom(ChipContext& context);

} // namespace tovel
