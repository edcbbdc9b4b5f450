// The gang run: `autoprogram`, `program`, `verify`, `erase` and `fuses program` on several boards
// at once. Every board has its own Workbench (session, runner, buffers) and its own thread; the
// boards share only the job - the project and images read once into the job's Workbench - and
// the serial-number store. A board that fails or disappears never stops or slows the others; the
// run ends with a table (port, signature, result, serial number, time) and succeeds only when
// every board passed.
//
// autoprogram takes each chip's numbers from the store before the chip is programmed and writes
// one record a chip (the store, --log, --log-json). With --repeat the boards program one chip
// each per Enter; with --repeat --auto-next each board starts as soon as a chip is in its socket.
#pragma once

#include <string>

#include "cli/command_context.h"

namespace tovel::cli {

struct GangEnvironment {
    std::string settingsPath; // the settings file every board's Workbench reads
    bool terminal = false;    // standard output is a terminal: one progress line for all boards
};

CommandOutcome runGang(CommandContext& job, const GangEnvironment& environment);

} // namespace tovel::cli
