#include "cli/cli_options.h"

#include <charconv>
#include <sstream>

#include "board/port_map.h"
#include "devices/device_table.h"
#include "sim/command_line.h"

namespace tovel::cli {

namespace {

struct CommandForm {
    const char* word;
    const char* subword; // nullptr: none
    Command command;
    int minFiles;
    int maxFiles;
    const char* synopsis;
};

constexpr CommandForm kCommands[] = {
    {"devices", nullptr, Command::Devices, 0, 0, "devices"},
    {"ports", nullptr, Command::Ports, 0, 0, "ports"},
    {"info", nullptr, Command::Info, 0, 0, "info"},
    {"search", nullptr, Command::Search, 0, 0, "search"},
    {"signature", nullptr, Command::Signature, 0, 0, "signature"},
    {"erase", nullptr, Command::Erase, 0, 0, "erase"},
    {"blank-check", nullptr, Command::BlankCheck, 0, 0, "blank-check"},
    {"calibration", nullptr, Command::Calibration, 0, 0, "calibration"},
    {"read", "flash", Command::Read, 1, 1, "read flash|eeprom FILE"},
    {"read", "eeprom", Command::Read, 1, 1, "read flash|eeprom FILE"},
    {"program", "flash", Command::Program, 1, 1, "program flash|eeprom FILE"},
    {"program", "eeprom", Command::Program, 1, 1, "program flash|eeprom FILE"},
    {"verify", "flash", Command::Verify, 1, 1, "verify flash|eeprom FILE"},
    {"verify", "eeprom", Command::Verify, 1, 1, "verify flash|eeprom FILE"},
    {"fuses", "read", Command::FusesRead, 0, 0, "fuses read|program|verify"},
    {"fuses", "program", Command::FusesProgram, 0, 0, "fuses read|program|verify"},
    {"fuses", "verify", Command::FusesVerify, 0, 0, "fuses read|program|verify"},
    {"autoprogram", nullptr, Command::AutoProgram, 0, 1, "autoprogram [PROJECT] [--repeat]"},
    {"update-firmware", nullptr, Command::UpdateFirmware, 0, 1, "update-firmware [IMAGE] [--reduced-speed]"},
    {"convert", nullptr, Command::Convert, 2, 2, "convert IN OUT"},
    {"doctor", nullptr, Command::Doctor, 0, 0, "doctor"},
};

bool parseInt(const std::string& text, int& value) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && !text.empty();
}

// The commands that run on every board of a gang at once.
bool gangCommand(Command command) {
    return command == Command::AutoProgram || command == Command::Program || command == Command::Verify ||
           command == Command::Erase || command == Command::FusesProgram;
}

bool isSimulatedDeviceName(const std::string& name) {
    return name == "none" || name == "empty" || deviceFromArgument(name) >= 0;
}

class Parser {
public:
    explicit Parser(const std::vector<std::string>& arguments) : arguments_(arguments) {}

    ParsedCommandLine run() {
        std::vector<std::string> words;
        bool optionsEnded = false;
        for (index_ = 0; index_ < arguments_.size() && !result_.error; ++index_) {
            const std::string& argument = arguments_[index_];
            if (optionsEnded || argument == "-" || argument.empty() || argument[0] != '-') {
                words.push_back(argument);
            } else if (argument == "--") {
                optionsEnded = true;
            } else {
                option(argument);
            }
        }
        CliOptions& options = result_.options;
        if (result_.error || options.help || options.version) return result_;
        command(words);
        if (!result_.error) checkCombinations();
        return result_;
    }

private:
    void fail(CliText text, std::string first = {}, std::string second = {}) {
        if (!result_.error) result_.error = UsageError{text, std::move(first), std::move(second)};
    }

    // The value of an option: after '=' or the next argument.
    std::optional<std::string> value(const std::string& name, const std::optional<std::string>& inline_) {
        if (inline_) return inline_;
        if (index_ + 1 >= arguments_.size()) {
            fail(CliText::MissingValue, name);
            return std::nullopt;
        }
        return arguments_[++index_];
    }

    void option(const std::string& argument) {
        CliOptions& o = result_.options;
        const std::size_t equals = argument.find('=');
        const std::string name = argument.substr(0, equals);
        const std::optional<std::string> inline_ =
            equals == std::string::npos ? std::nullopt
                                        : std::optional<std::string>(argument.substr(equals + 1));
        const auto flag = [&](bool& target) {
            if (inline_) return fail(CliText::BadValue, *inline_, name);
            target = true;
        };

        if (name == "--help" || name == "-h") {
            flag(o.help);
        } else if (name == "--version") {
            flag(o.version);
        } else if (name == "--json") {
            flag(o.json);
        } else if (name == "--repeat") {
            flag(o.repeat);
        } else if (name == "--auto-next") {
            flag(o.autoNext);
        } else if (name == "--reduced-speed") {
            flag(o.reducedSpeed);
        } else if (name == "--changed-only") {
            flag(o.changedOnly);
        } else if (name == "--yes" || name == "--no") {
            if (inline_) return fail(CliText::BadValue, *inline_, name);
            const bool yes = name == "--yes";
            if (o.answerYes && *o.answerYes != yes) return fail(CliText::ConflictingOptions, "--yes", "--no");
            o.answerYes = yes;
        } else if (name == "--simulate") {
            o.simulate = true;
            // A plain number is a count of boards; the chip is then the project's or --device's.
            int boards = 0;
            if (inline_ && parseInt(*inline_, boards)) {
                if (boards < 1 || boards > kMaxGangBoards) return fail(CliText::BadValue, *inline_, name);
                o.simulatedBoards = boards;
            } else if (inline_) {
                if (!isSimulatedDeviceName(*inline_)) return fail(CliText::UnknownDevice, *inline_);
                o.simulatedDevice = *inline_;
            }
        } else if (name == "--port") {
            if (const auto v = value(name, inline_)) {
                PortMap ports;
                if (ports.portFromArgument(*v) == 0) return fail(CliText::BadValue, *v, name);
                if (!o.port) o.port = *v;
                o.ports.push_back(*v);
            }
        } else if (name == "--baud") {
            if (const auto v = value(name, inline_)) {
                int index = -1;
                if (!parseInt(*v, index) || index < 0 || index > 2) return fail(CliText::BadValue, *v, name);
                o.baudIndex = index;
            }
        } else if (name == "--lang") {
            if (const auto v = value(name, inline_)) {
                if (*v == "en")
                    o.language = Language::English;
                else if (*v == "ru")
                    o.language = Language::Russian;
                else
                    fail(CliText::BadValue, *v, name);
            }
        } else if (name == "--device") {
            if (const auto v = value(name, inline_)) {
                const int n = deviceFromArgument(*v);
                if (n < 0) return fail(CliText::UnknownDevice, *v);
                o.deviceNo = n;
            }
        } else if (name == "--settings") {
            if (const auto v = value(name, inline_)) o.settingsPath = *v;
        } else if (name == "--project") {
            if (const auto v = value(name, inline_)) o.projectPath = *v;
        } else if (name == "--simulate-state") {
            if (const auto v = value(name, inline_)) {
                o.simulateState = *v;
                o.simulate = true; // keeping a simulated chip implies simulating it
            }
        } else if (name == "--simulate-with") {
            if (const auto v = value(name, inline_)) {
                std::istringstream words(*v);
                for (std::string word; words >> word;) o.simulateWith.push_back(word);
                if (const std::string error = sim::parseCommandLine(o.simulateWith).error; !error.empty())
                    return fail(CliText::BadValue, *v, name);
                o.simulate = true;
            }
        } else if (name == "--system-root") {
            if (const auto v = value(name, inline_)) o.systemRoot = *v;
        } else if (name == "--trace") {
            if (const auto v = value(name, inline_)) o.tracePath = *v;
        } else if (name == "--log") {
            if (const auto v = value(name, inline_)) o.logPath = *v;
        } else if (name == "--log-json") {
            if (const auto v = value(name, inline_)) o.logJsonPath = *v;
        } else if (name == "--serials") {
            if (const auto v = value(name, inline_)) o.serialsPath = *v;
        } else if (name == "--simulate-control") {
            if (const auto v = value(name, inline_)) o.simulateControl = *v;
        } else {
            fail(CliText::UnknownOption, argument);
        }
    }

    void command(const std::vector<std::string>& words) {
        CliOptions& o = result_.options;
        if (words.empty()) return fail(CliText::NoCommand);
        const std::string& word = words[0];
        const CommandForm* matched = nullptr;
        const CommandForm* synopsis = nullptr;
        for (const CommandForm& form : kCommands) {
            if (word != form.word) continue;
            synopsis = &form;
            if (form.subword == nullptr || (words.size() > 1 && words[1] == form.subword)) {
                matched = &form;
                break;
            }
        }
        if (synopsis == nullptr) return fail(CliText::UnknownCommand, word);
        if (matched == nullptr) return fail(CliText::CommandUsage, synopsis->synopsis);

        const std::size_t firstFile = matched->subword != nullptr ? 2 : 1;
        const int files = static_cast<int>(words.size() - firstFile);
        if (files < matched->minFiles || files > matched->maxFiles)
            return fail(CliText::CommandUsage, matched->synopsis);
        o.command = matched->command;
        o.commandName = matched->subword != nullptr ? word + " " + matched->subword : word;
        if (matched->subword != nullptr && std::string(matched->subword) == "eeprom")
            o.memory = MemoryArg::Eeprom;
        o.files.assign(words.begin() + static_cast<std::ptrdiff_t>(firstFile), words.end());

        if (o.command == Command::AutoProgram && !o.files.empty()) {
            if (o.projectPath && *o.projectPath != o.files[0])
                return fail(CliText::TwoProjects, *o.projectPath, o.files[0]);
            o.projectPath = o.files[0];
            o.files.clear();
        }
    }

    void checkCombinations() {
        const CliOptions& o = result_.options;
        if (o.repeat && o.command != Command::AutoProgram)
            return fail(CliText::OptionNotForCommand, "--repeat", o.commandName);
        if (o.logPath && o.command != Command::AutoProgram)
            return fail(CliText::OptionNotForCommand, "--log", o.commandName);
        if (o.systemRoot && o.command != Command::Doctor)
            return fail(CliText::OptionNotForCommand, "--system-root", o.commandName);
        if (o.logJsonPath && o.command != Command::AutoProgram)
            return fail(CliText::OptionNotForCommand, "--log-json", o.commandName);
        if (o.serialsPath && o.command != Command::AutoProgram)
            return fail(CliText::OptionNotForCommand, "--serials", o.commandName);
        if (o.autoNext && !o.repeat) return fail(CliText::OptionNeedsOption, "--auto-next", "--repeat");
        if (o.simulateControl && o.simulatedBoards == 0)
            return fail(CliText::OptionNeedsOption, "--simulate-control", "--simulate=N");
        if (o.ports.size() > static_cast<std::size_t>(kMaxGangBoards))
            return fail(CliText::BadValue, o.ports.back(), "--port");
        if (o.simulatedBoards > 0 && !o.ports.empty())
            return fail(CliText::ConflictingOptions, "--simulate=" + std::to_string(o.simulatedBoards),
                        "--port");
        if (o.gang() && !gangCommand(o.command)) return fail(CliText::NotForGang, o.commandName);
        if (o.reducedSpeed && o.command != Command::UpdateFirmware)
            return fail(CliText::OptionNotForCommand, "--reduced-speed", o.commandName);
        if (o.changedOnly && o.command != Command::Program && o.command != Command::AutoProgram)
            return fail(CliText::OptionNotForCommand, "--changed-only", o.commandName);
        if (o.simulate && o.port && o.port->find('/') != std::string::npos)
            return fail(CliText::ConflictingOptions, "--simulate", "--port " + *o.port);
        if ((o.command == Command::FusesProgram || o.command == Command::FusesVerify) && !o.projectPath)
            return fail(CliText::NeedsProject, o.commandName);
    }

    const std::vector<std::string>& arguments_;
    std::size_t index_ = 0;
    ParsedCommandLine result_;
};

} // namespace

std::string UsageError::describe(Language language) const {
    return formatCliText(language, text, first.c_str(), second.c_str());
}

ParsedCommandLine parseCommandLine(const std::vector<std::string>& arguments) {
    return Parser(arguments).run();
}

int deviceFromArgument(const std::string& argument) {
    int number = -1;
    if (parseInt(argument, number)) return DeviceTable::isValidDeviceNo(number) ? number : -1;
    return DeviceTable::findByName(argument.c_str());
}

} // namespace tovel::cli
