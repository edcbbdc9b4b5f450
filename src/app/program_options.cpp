#include "app/program_options.h"

#include <algorithm>

namespace tovel::app {

namespace {

bool startsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

bool parseCommandList(const std::string& text, std::vector<int>& ids) {
    std::size_t position = 0;
    while (position <= text.size()) {
        const std::size_t comma = std::min(text.find(',', position), text.size());
        const std::string item = text.substr(position, comma - position);
        if (item.empty() || item.size() > 6 || item.find_first_not_of("0123456789") != std::string::npos)
            return false;
        ids.push_back(std::stoi(item));
        position = comma + 1;
    }
    return true;
}

} // namespace

ProgramOptions parseProgramOptions(const std::vector<std::string>& arguments) {
    ProgramOptions options;
    bool optionsEnded = false;
    std::size_t i = 0;
    for (; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || !startsWith(argument, "--")) break;
        if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "--help") {
            options.help = true;
        } else if (argument == "--version") {
            options.version = true;
        } else if (argument == "--simulate") {
            options.simulatedDevice = kDefaultSimulatedDevice;
        } else if (startsWith(argument, "--simulate=")) {
            options.simulatedDevice = argument.substr(11);
            if (options.simulatedDevice->empty()) options.error = "--simulate= needs a device name";
        } else if (argument == "--settings" || argument == "--screenshot") {
            if (i + 1 >= arguments.size()) {
                options.error = argument + " needs a file name";
                return options;
            }
            (argument == "--settings" ? options.settingsPath : options.screenshotPath) = arguments[++i];
        } else if (startsWith(argument, "--settings=")) {
            options.settingsPath = argument.substr(11);
        } else if (startsWith(argument, "--screenshot=")) {
            options.screenshotPath = argument.substr(13);
        } else if (startsWith(argument, "--choose=")) {
            options.fileForDialogs = argument.substr(9);
        } else if (startsWith(argument, "--dismiss=")) {
            std::vector<int> counts;
            if (!parseCommandList(argument.substr(10), counts) || counts.size() != 1) {
                options.error = "--dismiss= takes a number of dialogs";
                return options;
            }
            options.dialogsToDismiss = counts.front();
        } else if (startsWith(argument, "--click=")) {
            std::vector<int> ids;
            if (!parseCommandList(argument.substr(8), ids) || ids.size() != 1) {
                options.error = "--click= takes one control id";
                return options;
            }
            options.clickBeforeScreenshot = static_cast<unsigned>(ids.front());
        } else if (startsWith(argument, "--run=")) {
            if (!parseCommandList(argument.substr(6), options.commandsBeforeScreenshot)) {
                options.error = "--run= takes command ids separated by commas";
                return options;
            }
        } else {
            options.error = "unknown option " + argument;
            return options;
        }
    }
    if (i < arguments.size() && !arguments[i].empty()) options.projectPath = arguments[i];
    // The switch is looked at only after a project; an empty project argument leaves none.
    if (i < arguments.size()) {
        for (std::size_t k = i + 1; k < arguments.size(); ++k) {
            if (k > i + 1) options.switchText += ' ';
            options.switchText += arguments[k];
        }
    }
    if (!options.projectPath) options.switchText.clear();
    return options;
}

std::string usageText() {
    return "Usage: tovelisp [OPTIONS] [PROJECT.tvl [-autoprogram]]\n"
           "\n"
           "Controls the Tovel and Tovel-U in-system programmer boards.\n"
           "With a project and -autoprogram the chip is programmed unattended: the program\n"
           "shows the result and ends.\n"
           "\n"
           "Options:\n"
           "  --settings FILE       use FILE as the settings file\n"
           "                        (default ~/.config/tovelisp/tovelisp.ini)\n"
           "  --simulate[=DEVICE]   run against the built-in simulated board, with DEVICE\n"
           "                        (a device name, default ATmega8) in its socket\n"
           "  --help                show this text\n"
           "  --version             show the version\n";
}

} // namespace tovel::app
