// tovelisp-cli: the command-line front end for scripts and production lines.
#include <csignal>
#include <iostream>

#include <sys/ioctl.h>
#include <unistd.h>

#include "cli/cli_main.h"
#include "cli/cli_texts.h"
#include "cli/interrupt_signal.h"

int main(int argc, char** argv) {
    using namespace tovel::cli;
    // A reader that went away (`| head`) must not kill a programming run half-way: output then
    // fails quietly and the chip operation ends properly.
    std::signal(SIGPIPE, SIG_IGN);

    CliEnvironment environment;
    environment.stdoutIsTerminal = ::isatty(STDOUT_FILENO) != 0;
    winsize size{};
    if (environment.stdoutIsTerminal && ::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        environment.terminalWidth = size.ws_col;
    environment.stop = &installInterruptHandler();
    environment.readLine = [] { return readLineOrInterrupt(STDIN_FILENO); };
    environment.languageChosen = [](tovel::Language language) {
        setInterruptedText(cliText(CliText::Interrupted, language));
    };
    environment.temporaryFolderChosen = [](const std::string& folder, const std::string& file) {
        setTemporaryFolder(folder, file);
    };
    return runCli(argc, argv, std::cout, std::cerr, std::cin, environment);
}
