// `autoprogram [PROJECT] [--repeat]`: the unattended auto-program run, once or chip after chip.
//
// With --repeat the person is asked before every chip (Enter for the next one, q to quit), the
// serial-number counters stay in the buffers from chip to chip exactly as in the window, and a
// failed chip does not end the loop: it is logged and put aside. --log appends one CSV line a
// chip. Closing the loop offers to save the buffers whose counters moved, so that the next session
// starts at the next number (--yes saves them).
#pragma once

#include "cli/command_context.h"

namespace tovel::cli {

CommandOutcome runAutoProgram(CommandContext& context);

// The counter of `buffer` as hex digits, most significant first: up to four bytes ending at
// `address` (an address at or past the end: the last byte). Empty for an empty buffer.
std::string counterText(const MemoryBuffer& buffer, std::uint32_t address);

} // namespace tovel::cli
