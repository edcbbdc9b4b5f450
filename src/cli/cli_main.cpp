#include "cli/cli_main.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "board/port_map.h"
#include "board/posix_serial_channel.h"
#include "board/tracing_channel.h"
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
#include "core/stoppable_clock.h"
#include "devices/device_table.h"
#include "ops/chip_context.h"
#include "project/project.h"
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
        if (scratch.failure() == ScratchSettings::Failure::TemporaryFolder)
            return finish(ExitStatus::FileError,
                          formatCliText(language_, CliText::TemporaryFolderUnusable, scratch.base().c_str()));
        if (!scratch.ok())
            return finish(ExitStatus::FileError,
                          formatCliText(language_, CliText::SettingsUnreadable,
                                        settingsPathOf(options_).value_or("").c_str()));
        if (environment_.temporaryFolderChosen)
            environment_.temporaryFolderChosen(scratch.folder(), scratch.path());

        // Every wait of the run (pauses, reads from the board, the worker) watches one stop request.
        StopRequest ownStop;
        StopRequest& stop = environment_.stop != nullptr ? *environment_.stop : ownStop;
        StoppableClock clock(systemClock(), stop);
        const Workbench::ChannelFactory stoppableChannel = [&stop](const PortMap& ports) {
            auto channel = std::make_unique<PosixSerialChannel>(ports);
            channel->watchStop(&stop);
            return std::unique_ptr<SerialChannel>(std::move(channel));
        };

        CliUserInterface ui(reporter_, options_.answerYes, &stop);
        // Declared before the Workbench so that it outlives the Workbench's serial channel.
        std::unique_ptr<SimulatedBoard> simulated;
        // Declared before the Workbench so that it outlives the Workbench's serial channel.
        std::unique_ptr<std::FILE, int (*)(std::FILE*)> trace(nullptr, &std::fclose);
        Workbench::ChannelFactory makeChannel = stoppableChannel;
        if (options_.tracePath) {
            trace.reset(std::fopen(options_.tracePath->c_str(), "w"));
            if (!trace)
                return finish(ExitStatus::FileError, formatCliText(language_, CliText::TraceUnwritable,
                                                                   options_.tracePath->c_str()));
            makeChannel = [file = trace.get(),
                           &stoppableChannel](const PortMap& ports) -> std::unique_ptr<SerialChannel> {
                return std::make_unique<TracingChannel>(stoppableChannel(ports), ports, file);
            };
        }
        Workbench workbench(ui, clock, makeChannel, scratch.path());
        workbench.session().watchStop(&stop);
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
        if (options_.changedOnly) workbench.project().writeChangedOnly = true;

        if (options_.gang()) {
            ui.clearLastStatus();
            CommandContext context{workbench, ui, reporter_, options_, readLine_, &stop, deviceChosen};
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
            simulated = std::make_unique<SimulatedBoard>(device == "empty" ? "none" : device,
                                                         options_.simulateState, options_.simulateWith);
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

        ui.clearLastStatus();
        CommandContext context{workbench, ui, reporter_, options_, readLine_, &stop, deviceChosen};
        CommandOutcome outcome =
            options_.command == Command::AutoProgram ? runAutoProgram(context) : runChipCommand(context);
        // Whatever a stop request cut short reads as cancelled, not as the failure it caused.
        if (stop.requested() && outcome.status != ExitStatus::Success)
            outcome = CommandOutcome{ExitStatus::Cancelled, {}, {}};
        if (options_.command != Command::Doctor) doctorHint(workbench, outcome.status);
        return finish(outcome.status, outcome.summary, outcome.details, ui.lastStatus());
    }

    // A failure the command cannot name (the board silent, a signature that reads as nothing):
    // the doctor finds out why. No port chosen, or one that could not be opened, was named by its
    // own box.
    void doctorHint(Workbench& workbench, ExitStatus status) {
        if (status != ExitStatus::Connection && status != ExitStatus::WrongChip) return;
        if (workbench.comPort() == 0 || workbench.session().channel().lastOpenFailure()) return;
        if (status == ExitStatus::WrongChip && !signatureUnreadable(workbench)) return;
        reporter_.note("hint", cliText(CliText::DoctorHint, language_));
    }

    // A signature that reads as nothing answering (00 00 00) or MISO held high (FF FF FF).
    static bool signatureUnreadable(Workbench& workbench) {
        const Signature& s = workbench.state().lastSignature;
        return (s[0] == 0x00 && s[1] == 0x00 && s[2] == 0x00) ||
               (s[0] == 0xFF && s[1] == 0xFF && s[2] == 0xFF);
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
