// The command line of tovelisp-cli parsed into what the run needs. Options may stand before or
// after the command; "--" ends them. Nothing here touches a file or a device: values that name a
// chip are checked against the device table, the rest is checked when it is used.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/cli_texts.h"
#include "i18n/messages.h"

namespace tovel::cli {

enum class Command {
    Devices,
    Ports,
    Info,
    Search,
    Signature,
    Erase,
    BlankCheck,
    Calibration,
    Read,
    Program,
    Verify,
    FusesRead,
    FusesProgram,
    FusesVerify,
    AutoProgram,
    UpdateFirmware,
    Convert,
    Doctor,
};

enum class MemoryArg { Flash, Eeprom };

struct CliOptions {
    bool help = false;
    bool version = false;

    std::optional<std::string> port; // "3", "COM3" or a device path, as given (the first --port)
    std::vector<std::string> ports;  // every --port, in order: more than one is a gang run
    int simulatedBoards = 0;         // --simulate=N: a gang run on N simulated boards
    std::optional<int> baudIndex;
    std::optional<std::string> settingsPath;
    std::optional<std::string> projectPath; // --project, or autoprogram's PROJECT
    std::optional<int> deviceNo;
    std::optional<Language> language;
    std::optional<bool> answerYes; // nothing: no --yes or --no (questions get No)
    bool simulate = false;
    std::optional<std::string> simulatedDevice; // a table name, or "none"
    std::optional<std::string> simulateState;
    std::vector<std::string> simulateWith; // tovel-sim options for the simulated board
    std::optional<std::string> systemRoot; // doctor: where /proc, /sys and /dev are read
    bool json = false;
    std::optional<std::string> logPath;
    std::optional<std::string> tracePath; // every byte to and from the board, with its time
    bool repeat = false;
    bool autoNext = false;                      // --auto-next: a new chip starts the next run
    std::optional<std::string> serialsPath;     // --serials: the serial-number store
    std::optional<std::string> logJsonPath;     // --log-json: one JSON line a chip
    std::optional<std::string> simulateControl; // --simulate-control: the simulated boards' control FIFO
    bool reducedSpeed = false;
    bool changedOnly = false; // the project's "Write only changed data", switched on for this run

    Command command = Command::Devices;
    std::string commandName; // as typed, e.g. "read flash"
    MemoryArg memory = MemoryArg::Flash;
    std::vector<std::string> files; // read/program/verify FILE, convert IN OUT, update-firmware IMAGE

    // The gang run (every board its own thread, numbers from the serial-number store, the chip
    // log): more than one --port, --simulate=N, or an option only it has.
    bool gang() const {
        return ports.size() > 1 || simulatedBoards > 0 || serialsPath || logJsonPath || autoNext;
    }
};

// The most boards one gang run drives.
constexpr int kMaxGangBoards = 16;

struct UsageError {
    CliText text = CliText::NoCommand;
    std::string first;
    std::string second;

    std::string describe(Language language) const;
};

struct ParsedCommandLine {
    CliOptions options;
    std::optional<UsageError> error;
};

// `arguments` without the program name.
ParsedCommandLine parseCommandLine(const std::vector<std::string>& arguments);

// A chip named by its table name (any case) or its row number; -1 when it names none.
int deviceFromArgument(const std::string& argument);

} // namespace tovel::cli
