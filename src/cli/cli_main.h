// tovelisp-cli as a function: the whole front end, with its streams and its process-level hooks
// passed in, so that it runs the same in the executable and in tests.
#pragma once

#include <atomic>
#include <functional>
#include <istream>
#include <ostream>
#include <string>

#include "cli/command_context.h"
#include "i18n/messages.h"

namespace tovel::cli {

struct CliEnvironment {
    bool stdoutIsTerminal = false; // draw progress as a bar
    int terminalWidth = 80;
    StopRequest* stop = nullptr;                  // Ctrl-C, SIGTERM, SIGHUP; null: the run has its own
    LineReader readLine;                          // empty: lines from the input stream
    std::function<void(Language)> languageChosen; // told the run's language once it is known
    // Told the run's temporary folder and the settings copy in it once they exist.
    std::function<void(const std::string& folder, const std::string& file)> temporaryFolderChosen;
};

// Runs one command line; returns the exit status.
int runCli(int argc, char** argv, std::ostream& out, std::ostream& err, std::istream& in);
int runCli(int argc, char** argv, std::ostream& out, std::ostream& err, std::istream& in,
           const CliEnvironment& environment);

} // namespace tovel::cli
