// The commands of the command line that map onto one command of the window's command map each:
// they call the Workbench and tell the outcome from its results and what it reported. The
// production loop (autoprogram) is in production_loop.h.
#pragma once

#include "cli/command_context.h"

namespace tovel::cli {

// Runs options.command (anything but Devices, Ports and AutoProgram).
CommandOutcome runChipCommand(CommandContext& context);

// Asks the fuse safety question before lock/fuse bits that could lock the person out of the
// chip are written; true when they may be written (safe, or the answer was Yes).
bool lockFuseSettingsAccepted(CommandContext& context, const LockFuseSettings& settings);

// A command the window would show disabled for this device: the usage error for it.
CommandOutcome notForDevice(CommandContext& context);

} // namespace tovel::cli
