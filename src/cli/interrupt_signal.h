// Ctrl-C, SIGTERM and SIGHUP (the terminal closed, the SSH link dropped) for the command line.
// Each means Cancel: the first raises the run's stop request, so that the operation stops at its
// next safe point, the board session ends properly (out of programming mode, back to 19200 baud),
// the port closes, the temporary files go and the run ends with the "cancelled" status. A second
// one makes the stop urgent: the session is ended briskly, and should anything still hold the
// process 300 ms later, it ends there (removing the run's temporary folder) with that status.
// The firmware upload, which must not stop half-way, is waited for in any case.
//
// A signal handler can only reach process-wide storage, so the stop request, the watchdog timer
// and the temporary folder's name live in this file alone; nothing else keeps such state.
#pragma once

#include <optional>
#include <string>

#include "core/stop_request.h"

namespace tovel::cli {

// Installs the handlers (once per process) and returns the stop request they raise.
StopRequest& installInterruptHandler();
// The line written to standard error when the watchdog ends the process (a text with static
// storage, in the chosen language).
void setInterruptedText(const char* text);
// The run's temporary folder and the one file in it, removed by the watchdog before it ends the
// process. Empty strings: none.
void setTemporaryFolder(const std::string& folder, const std::string& file);

// Reads one line from file descriptor `fd` (without its line end). Nothing at the end of the
// input, on a read error, or when a stop was requested while waiting.
std::optional<std::string> readLineOrInterrupt(int fd);

} // namespace tovel::cli
