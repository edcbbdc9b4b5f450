// What the desktop program is started with. The shell has already split the command line into
// arguments; the first argument that is not one of the options below is the project to open, and
// the arguments after it, joined by single blanks, are the switch. Only the switch "-autoprogram",
// exactly and in lower case, asks for the unattended run, so
//
//   tovelisp job.tvl -autoprogram        loads job.tvl and programs the chip unattended
//   tovelisp job.tvl " -autoprogram"     only loads it (the switch starts with a blank)
//   tovelisp job.tvl -AUTOPROGRAM        only loads it
//   tovelisp job.tvl -autoprogram x      only loads it (the switch is "-autoprogram x")
//
// Options (anywhere before the project; "--" ends them):
//   --settings FILE        use FILE as the settings file
//   --simulate[=DEVICE]    run against the built-in simulated board with DEVICE in its socket
//   --help, --version
//   --screenshot FILE      (for the documentation) save the window to FILE once it is shown,
//                          after running the commands of --run=ID,ID,... (menu command ids);
//                          a dialog a command opens is saved instead: after the first
//                          --dismiss=N dialogs were accepted, the one then open, or the one
//                          its button --click=ID (a control id) opens; file dialogs are
//                          answered with --choose=FILE without being shown
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tovel::app {

inline constexpr const char* kAutoProgramSwitch = "-autoprogram";
inline constexpr const char* kDefaultSimulatedDevice = "ATmega8";

struct ProgramOptions {
    std::optional<std::string> settingsPath;
    std::optional<std::string> simulatedDevice; // set: run against the simulated board
    std::optional<std::string> screenshotPath;
    std::vector<int> commandsBeforeScreenshot;
    std::optional<unsigned> clickBeforeScreenshot;
    int dialogsToDismiss = 0;
    std::optional<std::string> fileForDialogs;
    bool help = false;
    bool version = false;

    // The project named on the command line (empty means none) and the switch after it.
    std::optional<std::string> projectPath;
    std::string switchText;

    std::string error; // not empty: the arguments are not usable; say so and stop

    // The unattended auto-program run: a project was named and the switch is exactly right.
    bool autoProgramRequested() const { return projectPath.has_value() && switchText == kAutoProgramSwitch; }
};

// `arguments` without the program name.
ProgramOptions parseProgramOptions(const std::vector<std::string>& arguments);

// The text `--help` prints.
std::string usageText();

} // namespace tovel::app
