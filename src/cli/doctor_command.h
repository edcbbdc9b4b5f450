// `doctor`: the connection doctor's checks, one line a check (or one JSON object a check), and
// an exit status a script can act on: 0 board and chip work, 3 the port or the board fails,
// 4 the chip does not identify.
#pragma once

#include "cli/command_context.h"

namespace tovel::cli {

CommandOutcome runDoctorCommand(CommandContext& context);

} // namespace tovel::cli
