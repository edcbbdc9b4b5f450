// Ctrl-C for the command line: the first SIGINT (or SIGTERM) asks the running operation to stop,
// exactly as the Cancel button does (a flag the runner host looks at on every tick, and a wake-up
// for a prompt waiting for Enter); a second one ends the process at once with the "cancelled"
// exit status, for a wait that would otherwise take long.
//
// A signal handler can only reach process-wide storage, so the flag and the pipe live in this
// file alone; nothing else in the program keeps such state.
#pragma once

#include <atomic>
#include <optional>
#include <string>

namespace tovel::cli {

// Installs the handlers (once per process) and returns the flag they set.
const std::atomic<bool>& installInterruptHandler();
// The line written to standard error when a second Ctrl-C ends the process (a text with static
// storage, in the chosen language).
void setInterruptedText(const char* text);

// Reads one line from file descriptor `fd` (without its line end). Nothing at the end of the
// input, on a read error, or when an interrupt came while waiting.
std::optional<std::string> readLineOrInterrupt(int fd);

} // namespace tovel::cli
