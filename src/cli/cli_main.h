// tovelisp-cli as a function: the whole front end, with its streams and its process-level hooks
// passed in, so that it runs the same in the executable and in tests.
#pragma once

#include <atomic>
#include <functional>
#include <istream>
#include <ostream>

#include "cli/command_context.h"
#include "i18n/messages.h"

namespace tovel::cli {

struct CliEnvironment {
    bool stdoutIsTerminal = false; // draw progress as a bar
    int terminalWidth = 80;
    const std::atomic<bool>* interrupted = nullptr; // Ctrl-C
    LineReader readLine;                            // empty: lines from the input stream
    std::function<void(Language)> languageChosen;   // told the run's language once it is known
};

// Runs one command line; returns the exit status.
int runCli(int argc, char** argv, std::ostream& out, std::ostream& err, std::istream& in);
int runCli(int argc, char** argv, std::ostream& out, std::ostream& err, std::istream& in,
           const CliEnvironment& environment);

} // namespace tovel::cli
