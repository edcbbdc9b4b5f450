#include "cli/cli_main.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "board/port_map.h"
#include "cli/chip_commands.h"
#include "cli/cli_options.h"
#include "cli/cli_texts.h"
#include "cli/cli_user_interface.h"
#include "cli/device_listing.h"
#include "cli/gang_run.h"
#include "cli/json_reporter.h"
#include "cli/port_listing.h"
#include "cli/production_loop.h"
#include "cli/scratch_settings.h"
#include "cli/simulated_board.h"
#include "cli/text_reporter.h"
#include "core/clock.h"
#include "devices/device_table.h"
#include "project/settings_file.h"
#include "workbench/workbench.h"

namespace tovel::cli {

namespace {

std::optional<std::string> settingsPathOf(const CliOptions& options) {
    return options.settingsPath ? options.settingsPath : defaultSettingsPath();
}

bool settingsFileMissing(const CliOptions& options) {
    std::error_code error;
    return options.settingsPath && !std::filesystem::exists(*options.settingsPath, error);
}

// The language of the run: --lang, else the settings file's.
Language runLanguage(const CliOptions& options) {
    if (options.language) return *options.language;
    const std::optional<std::string> path = settingsPathOf(options);
    return path ? SettingsFile(*path).read().language : Language::English;
}

PortMap portMapOf(const CliOptions& options) {
    PortMap ports;
    if (const std::optional<std::string> path = settingsPathOf(options)) {
        const PortPaths paths = SettingsFile(*path).readPortPaths();
        for (int k = 0; k < kComPortCount; ++k)
            if (const auto& mapped = paths[static_cast<std::size_t>(k)]) ports.setOverride(k + 1, *mapped);
    }
    return ports;
}

class Run {
public:
    Run(const CliOptions& options, Reporter& reporter, Language language, const CliEnvironment& environment,
        LineReader readLine)
        : options_(options), reporter_(reporter), language_(language), environment_(environment),
          readLine_(std::move(readLine)) {}

    int finish(ExitStatus status, const std::string& summary = {}, const JsonLine& details = {},
               const std::string& lastStatus = {}) {
        JsonLine json;
        json.add("type", "result")
            .add("command", options_.commandName)
            .add("exit", code(status))
            .add("outcome", outcomeName(status));
        if (!lastStatus.empty()) json.add("status", lastStatus);
        if (!summary.empty()) json.add("message", summary);
        json.append(details);
        const std::string failure =
            status == ExitStatus::Success
                ? std::string()
                : formatCliText(language_, CliText::FailedWith,
                                (summary.empty() ? describeOutcome(status, language_) : summary).c_str(),
                                code(status));
        reporter_.result(json, failure);
        return code(status);
    }

    int run() {
        switch (options_.command) {
        case Command::Devices:
            listDevices(reporter_, language_);
            return finish(ExitStatus::Success);
        case Command::Ports:
            reportSerialPorts(reporter_, listSerialPorts(portMapOf(options_)), language_);
            return finish(ExitStatus::Success);
        default:
            return runOnWorkbench();
        }
    }

private:
    int runOnWorkbench() {
        if (settingsFileMissing(options_))
            return finish(ExitStatus::FileError, formatCliText(language_, CliText::SettingsUnreadable,
                                                               options_.settingsPath->c_str()));
        const ScratchSettings scratch(settingsPathOf(options_));
        if (!scratch.ok())
            return finish(ExitStatus::FileError,
                          formatCliText(language_, CliText::SettingsUnreadable,
                                        settingsPathOf(options_).value_or("").c_str()));

        CliUserInterface ui(reporter_, options_.answerYes, environment_.interrupted);
        // Declared before the Workbench so that it outlives the Workbench's serial channel.
        std::unique_ptr<SimulatedBoard> simulated;
        Workbench workbench(ui, systemClock(), Workbench::ChannelFactory{}, scratch.path());
        ui.setMessages(&workbench.messages());
        workbench.readSettings();
        workbench.setLanguage(language_);

        bool deviceChosen = false;
        if (options_.projectPath) {
            if (!workbench.openProjectFile(*options_.projectPath)) return finish(ExitStatus::FileError);
            deviceChosen = true;
        }
        if (options_.deviceNo) {
            workbench.selectDevice(*options_.deviceNo);
            deviceChosen = true;
        }

        if (options_.gang()) {
            ui.clearEvents();
            CommandContext context{workbench,   ui, reporter_, options_, readLine_, environment_.interrupted,
                                   deviceChosen};
            const CommandOutcome outcome =
                runGang(context, GangEnvironment{scratch.path(), environment_.stdoutIsTerminal});
            return finish(outcome.status, outcome.summary, outcome.details);
        }

        int comPort = workbench.comPort();
        if (options_.simulate) {
            std::string device =
                options_.simulatedDevice.value_or(DeviceTable::device(workbench.deviceNo()).name);
            if (const int n = deviceFromArgument(device); n >= 0) {
                device = DeviceTable::device(n).name;
                // Without a project or --device, the chip in the socket is the chip chosen.
                if (!deviceChosen) workbench.selectDevice(n);
            }
            simulated =
                std::make_unique<SimulatedBoard>(device == "empty" ? "none" : device, options_.simulateState);
            if (!simulated->ok())
                return finish(ExitStatus::Failure,
                              formatCliText(language_, CliText::SimulatorFailed, simulated->error().c_str()));
            const int port =
                options_.port ? workbench.portMap().portFromArgument(*options_.port) : PortMap::kFirstPort;
            simulated->attach(workbench.portMap(), port);
            comPort = port;
        } else if (options_.port) {
            comPort = workbench.portMap().portFromArgument(*options_.port);
        }
        workbench.overridePortAndSpeed(comPort, options_.baudIndex.value_or(workbench.baudIndex()));

        ui.clearEvents();
        CommandContext context{workbench,   ui, reporter_, options_, readLine_, environment_.interrupted,
                               deviceChosen};
        const CommandOutcome outcome =
            options_.command == Command::AutoProgram ? runAutoProgram(context) : runChipCommand(context);
        if (outcome.status == ExitStatus::Connection && !simulated) portHint(workbench);
        return finish(outcome.status, outcome.summary, outcome.details, ui.lastStatus());
    }

    // A port that is not there, or may not be opened, is the usual first trouble on a new machine.
    void portHint(Workbench& workbench) {
        const std::string path = workbench.portMap().pathFor(workbench.comPort());
        if (path.empty()) return;
        std::error_code error;
        if (!std::filesystem::exists(path, error)) {
            reporter_.note("hint", formatCliText(language_, CliText::PortMissing, path.c_str()));
            return;
        }
        if (::access(path.c_str(), R_OK | W_OK) == 0) return;
        const std::string group = deviceGroup(path);
        if (group.empty() || group == "root") return;
        reporter_.note("hint", formatCliText(language_, CliText::PermissionHint, path.c_str(), group.c_str(),
                                             group.c_str()));
    }

    const CliOptions& options_;
    Reporter& reporter_;
    const Language language_;
    const CliEnvironment& environment_;
    LineReader readLine_;
};

} // namespace

int runCli(int argc, char** argv, std::ostream& out, std::ostream& err, std::istream& in) {
    return runCli(argc, argv, out, err, in, CliEnvironment{});
}

int runCli(int argc, char** argv, std::ostream& out, std::ostream& err, std::istream& in,
           const CliEnvironment& environment) {
    const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + std::max(argc, 1));
    const ParsedCommandLine parsed = parseCommandLine(arguments);
    const CliOptions& options = parsed.options;
    const Language language = runLanguage(options);
    if (environment.languageChosen) environment.languageChosen(language);

    std::unique_ptr<Reporter> reporter;
    if (options.json)
        reporter = std::make_unique<JsonReporter>(out);
    else
        reporter =
            std::make_unique<TextReporter>(out, err, environment.stdoutIsTerminal, environment.terminalWidth);

    if (parsed.error) {
        const std::string text = parsed.error->describe(language);
        if (options.json)
            reporter->result(JsonLine()
                                 .add("type", "result")
                                 .add("command", "")
                                 .add("exit", code(ExitStatus::Usage))
                                 .add("outcome", outcomeName(ExitStatus::Usage))
                                 .add("message", text),
                             {});
        err << "tovelisp-cli: " << text << '\n'
            << cliText(CliText::UsageHint, language) << '\n'
            << std::flush;
        return code(ExitStatus::Usage);
    }
    if (options.help) {
        out << cliText(CliText::Help, language) << std::flush;
        return code(ExitStatus::Success);
    }
    if (options.version) {
        out << "tovelisp-cli " << TOVEL_VERSION << '\n' << std::flush;
        return code(ExitStatus::Success);
    }

    LineReader readLine = environment.readLine;
    if (!readLine)
        readLine = [&in]() -> std::optional<std::string> {
            std::string line;
            if (!std::getline(in, line)) return std::nullopt;
            if (!line.empty() && line.back() == '\r') line.pop_back();
            return line;
        };
    return Run(options, *reporter, language, environment, std::move(readLine)).run();
}

} // namespace tovel::cli
