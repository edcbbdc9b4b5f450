#include "cli/gang_run.h"

#include <cstdio>
#include <memory>
#include <vector>

#include "board/port_map.h"
#include "cli/board_reporter.h"
#include "cli/chip_commands.h"
#include "cli/chip_log.h"
#include "cli/gang_progress.h"
#include "cli/production_loop.h"
#include "cli/simulated_board.h"
#include "devices/device_table.h"
#include "image/memory_buffer.h"
#include "ops/chip_context.h"
#include "production/chip_probe.h"
#include "production/job_copy.h"
#include "production/production_line.h"
#include "production/sqlite_serial_allocator.h"
#include "project/project.h"
#include "sim/control_channel.h"

namespace tovel::cli {

namespace {

// "5" and "com5" are shown as COM5; a path as given.
std::string portLabel(const std::string& argument) {
    if (argument.find('/') != std::string::npos) return argument;
    std::string digits = argument;
    if (digits.size() > 3 && (digits[0] == 'c' || digits[0] == 'C')) digits = digits.substr(3);
    return "COM" + digits;
}

struct Board {
    std::string label;
    std::string path;
    std::unique_ptr<BoardReporter> reporter;
    std::unique_ptr<CliUserInterface> ui;
    std::unique_ptr<Workbench> workbench;
};

class GangRun {
public:
    GangRun(CommandContext& job, const GangEnvironment& environment)
        : job_(job), environment_(environment), options_(job.options) {}

    CommandOutcome run() {
        if (std::optional<CommandOutcome> refused = prepareJob()) return std::move(*refused);
        if (std::optional<CommandOutcome> refused = makeBoards()) return std::move(*refused);
        ProductionLine line(job_.workbench, store_.get(), places(), hooks(), job_.stop);

        if (options_.command != Command::AutoProgram)
            line.forEveryBoard([this, &line](std::size_t k) { runCommand(k, line.tally(k)); });
        else if (options_.autoNext)
            line.runHandsFree();
        else if (options_.repeat)
            for (int round = 1; !line.stopping() && nextRoundWanted(round); ++round) line.runRound();
        else
            line.runRound();

        printTable(line);
        if (options_.command == Command::AutoProgram) offerToSaveCounters();
        return outcome(line);
    }

private:
    Language language() const { return job_.language(); }

    // --- Before the boards start ---

    std::optional<CommandOutcome> prepareJob() {
        Workbench& job = job_.workbench;
        if (options_.command == Command::Program || options_.command == Command::Verify) {
            // The image is read once, here; every board programs this copy.
            const Memory memory = options_.memory == MemoryArg::Flash ? Memory::Flash : Memory::Eeprom;
            if (!job.loadBufferFile(memory, options_.files[0]))
                return CommandOutcome{ExitStatus::FileError, {}, {}};
        }
        if (options_.command == Command::AutoProgram) {
            if (!job.commandStates().autoProgram) return notForDevice(job_);
            const Project& project = job.project();
            if (project.programFuses && !lockFuseSettingsAccepted(job_, project.lockFuseSelection))
                return CommandOutcome{ExitStatus::Cancelled, {}, {}};
            if (std::optional<CommandOutcome> refused = openStore()) return refused;
            if (const std::optional<std::string> failed = log_.open(options_.logPath, options_.logJsonPath))
                return refusal(ExitStatus::FileError,
                               formatCliText(language(), CliText::LogUnwritable, failed->c_str()));
        }
        return std::nullopt;
    }

    std::optional<CommandOutcome> openStore() {
        if (serialClaims(job_.workbench).empty()) return std::nullopt;
        if (options_.serialsPath)
            storePath_ = *options_.serialsPath;
        else if (options_.projectPath)
            storePath_ = SqliteSerialAllocator::pathForProject(*options_.projectPath);
        else
            return refusal(ExitStatus::Usage, cliText(CliText::SerialsNeedStore, language()));
        store_ = std::make_unique<SqliteSerialAllocator>(storePath_);
        if (store_->ok()) return std::nullopt;
        return refusal(ExitStatus::FileError, formatCliText(language(), CliText::SerialStoreFailed,
                                                            storePath_.c_str(), store_->lastError().c_str()));
    }

    static CommandOutcome refusal(ExitStatus status, std::string summary) {
        CommandOutcome refused{status, {}, {}};
        refused.summary = std::move(summary);
        return refused;
    }

    std::optional<CommandOutcome> makeBoards() {
        Workbench& job = job_.workbench;
        std::vector<std::pair<std::string, std::string>> places; // label, device path
        if (options_.simulatedBoards > 0) {
            const std::string device = DeviceTable::device(job.deviceNo()).name;
            for (int n = 1; n <= options_.simulatedBoards; ++n) {
                auto simulated = std::make_unique<SimulatedBoard>(device, std::nullopt);
                if (!simulated->ok())
                    return refusal(ExitStatus::Failure, formatCliText(language(), CliText::SimulatorFailed,
                                                                      simulated->error().c_str()));
                places.emplace_back("sim" + std::to_string(n), simulated->path());
                simulated_.push_back(std::move(simulated));
            }
            if (options_.simulateControl) {
                control_ = std::make_unique<sim::ControlChannel>(
                    *options_.simulateControl,
                    [this](const sim::ControlCommand& command) { control(command); });
                if (!control_->ok())
                    return refusal(ExitStatus::Failure, formatCliText(language(), CliText::SimulatorFailed,
                                                                      control_->error().c_str()));
            }
        } else {
            const std::vector<std::string> ports =
                options_.ports.empty() ? std::vector<std::string>{std::to_string(job.comPort())}
                                       : options_.ports;
            for (const std::string& argument : ports) {
                PortMap map = job.portMap();
                places.emplace_back(portLabel(argument), map.pathFor(map.portFromArgument(argument)));
            }
        }

        std::vector<std::string> labels;
        for (const auto& place : places) labels.push_back(place.first);
        if (environment_.terminal && !options_.json)
            progress_ = std::make_unique<GangProgress>(job_.reporter, labels);
        for (std::size_t k = 0; k < places.size(); ++k) {
            auto board = std::make_unique<Board>();
            board->label = places[k].first;
            board->path = places[k].second;
            board->reporter = std::make_unique<BoardReporter>(job_.reporter, options_.json, board->label, k,
                                                              progress_.get());
            board->ui = std::make_unique<CliUserInterface>(*board->reporter, options_.answerYes, job_.stop);
            board->workbench = std::make_unique<Workbench>(
                *board->ui, systemClock(), Workbench::ChannelFactory{}, environment_.settingsPath);
            Workbench& workbench = *board->workbench;
            board->ui->setMessages(&workbench.messages());
            workbench.readSettings();
            workbench.setLanguage(job.language());
            const int port = workbench.portMap().useDirectPath(board->path);
            workbench.overridePortAndSpeed(port, options_.baudIndex.value_or(job.baudIndex()));
            if (!copyJobTo(job, workbench)) return CommandOutcome{ExitStatus::Failure, {}, {}};
            boards_.push_back(std::move(board));
        }
        return std::nullopt;
    }

    // A line of the control channel: a chip into or out of a simulated board's socket.
    void control(const sim::ControlCommand& command) {
        const std::size_t index = static_cast<std::size_t>(command.board - 1);
        if (index >= simulated_.size()) return;
        simulated_[index]->host().injectFault(
            sim::Fault::at(sim::FaultKind::SwapChip, 0)
                .withDevice(command.insert ? command.device : std::string("none")));
    }

    std::vector<ProductionBoard> places() {
        std::vector<ProductionBoard> places;
        for (auto& board : boards_) {
            BoardReporter* reporter = board->reporter.get();
            places.push_back({board->label, board->workbench.get(),
                              [reporter](bool muted) { reporter->setMuted(muted); }});
        }
        return places;
    }

    // --- While the boards run (on their threads) ---

    ProductionLine::Hooks hooks() {
        ProductionLine::Hooks hooks;
        hooks.beforeRun = [this](std::size_t k) {
            boards_[k]->ui->clearLastStatus();
            boards_[k]->workbench->state().firstMismatch = -1;
        };
        hooks.judge = [this](std::size_t k, bool runOk, Outcome outcome) {
            return judge(*boards_[k], runOk, outcome);
        };
        hooks.chipDone = [this](std::size_t k, const ChipRecord& chip, const std::string& flashCounter,
                                const std::string& eepromCounter) {
            return chipDone(*boards_[k], chip, flashCounter, eepromCounter);
        };
        hooks.stageChanged = [this](std::size_t k, BoardStage stage) {
            if (stage == BoardStage::WaitingForChip)
                boards_[k]->reporter->note("prompt", cliText(CliText::WaitingForChip, language()));
            else if (options_.autoNext && (stage == BoardStage::Passed || stage == BoardStage::Failed))
                boards_[k]->reporter->note("prompt", cliText(CliText::RemoveChip, language()));
        };
        hooks.chipInserted = [this](std::size_t k, const std::string& signature) {
            boards_[k]->reporter->note("chip",
                                       formatCliText(language(), CliText::ChipInserted, signature.c_str()));
        };
        hooks.storeFailureText = [this](const std::string& error) {
            return formatCliText(language(), CliText::SerialStoreFailed, storePath_.c_str(), error.c_str());
        };
        return hooks;
    }

    // The run's own result decides; a lock-bit failure, which the window lets pass with a box,
    // fails the chip on a production line.
    ChipVerdict judge(Board& board, bool runOk, Outcome outcome) {
        ExitStatus status = exitStatusOf(outcome);
        if (!runOk && status == ExitStatus::Success) status = ExitStatus::Failure;
        return {code(status), board.ui->lastStatus()};
    }

    std::optional<std::string> chipDone(Board& board, const ChipRecord& chip, const std::string& flashCounter,
                                        const std::string& eepromCounter) {
        const ExitStatus status = static_cast<ExitStatus>(chip.exitCode);
        JsonLine json;
        json.add("type", "chip")
            .add("result", chipResultName(chip.result))
            .add("exit", chip.exitCode)
            .add("outcome", outcomeName(status))
            .add("status", chip.status)
            .add("signature", chip.signature)
            .add("serial", serialNumberText(chip))
            .add("durationMs", static_cast<long long>(chip.durationMs));
        // Appended piece by piece: GCC 12 at -O3 sees a false overlap in a chain of operator+.
        const bool passed = chip.result == ChipResult::Passed;
        std::string line = cliText(passed ? CliText::GangPassed : CliText::GangFailed, language());
        if (const std::string serial = serialNumberText(chip); !serial.empty())
            line.append(" ").append(serial);
        if (!passed)
            line.append(": ").append(formatCliText(
                language(), CliText::FailedWith, describeOutcome(status, language()).c_str(), chip.exitCode));
        board.reporter->record(json, line);
        if (const std::optional<std::string> failed = log_.append({chip, flashCounter, eepromCounter}))
            return formatCliText(language(), CliText::LogUnwritable, failed->c_str());
        return std::nullopt;
    }

    bool nextRoundWanted(int round) {
        if (job_.wasInterrupted()) return false;
        job_.reporter.note("prompt", formatCliText(language(), CliText::ChipPrompt, round));
        const std::optional<std::string> line = job_.readLine ? job_.readLine() : std::nullopt;
        return line && *line != "q" && *line != "Q";
    }

    void runCommand(std::size_t k, BoardTally& tally) {
        Board& board = *boards_[k];
        CommandContext context{*board.workbench, *board.ui, *board.reporter, options_, LineReader{},
                               job_.stop,        true};
        context.imageLoaded = true;
        board.ui->clearLastStatus();
        const CommandOutcome outcome = runChipCommand(context);
        ++tally.chips;
        if (outcome.status == ExitStatus::Success)
            ++tally.passed;
        else
            tally.firstFailure = code(outcome.status);
        const Signature& signature = board.workbench->state().lastSignature;
        if (signature != Signature{0xFF, 0xFF, 0xFF}) tally.signature = signatureText(signature);
        JsonLine json;
        json.add("type", "outcome")
            .add("exit", code(outcome.status))
            .add("outcome", outcomeName(outcome.status));
        board.reporter->record(json, outcome.status == ExitStatus::Success
                                         ? cliText(CliText::GangPassed, language())
                                         : formatCliText(language(), CliText::FailedWith,
                                                         describeOutcome(outcome.status, language()).c_str(),
                                                         code(outcome.status)));
    }

    // --- After the boards ---

    void printTable(const ProductionLine& line) {
        job_.reporter.heading(cliText(CliText::GangHeader, language()));
        int passed = 0;
        for (std::size_t k = 0; k < boards_.size(); ++k) {
            const BoardTally& tally = line.tally(k);
            const bool ok = !tally.firstFailure && tally.chips > 0;
            if (ok) ++passed;
            const std::string result = cliText(ok ? CliText::GangPassed : CliText::GangFailed, language());
            char time[32];
            std::snprintf(time, sizeof time, "%.1f s", static_cast<double>(tally.milliseconds) / 1000.0);
            char row[256];
            std::snprintf(row, sizeof row, "%-15s %-10s %-7s %-11s %s", boards_[k]->label.c_str(),
                          tally.signature.empty() ? "--" : tally.signature.c_str(), result.c_str(),
                          tally.serial.empty() ? "--" : tally.serial.c_str(), time);
            JsonLine json;
            json.add("type", "board")
                .add("port", boards_[k]->label)
                .add("signature", tally.signature)
                .add("result", ok ? "passed" : "failed")
                .add("serial", tally.serial)
                .add("chips", tally.chips)
                .add("passed", tally.passed)
                .add("timeMs", static_cast<long long>(tally.milliseconds));
            job_.reporter.record(json, row);
        }
        const int total = static_cast<int>(boards_.size());
        job_.reporter.note("summary",
                           formatCliText(language(), CliText::GangSummary, total, passed, total - passed));
    }

    // The job image's counters moved past the numbers of the chips that passed: saving it lets a
    // run without the store go on from there.
    void offerToSaveCounters() {
        Workbench& job = job_.workbench;
        const Project& project = job.project();
        const struct {
            Memory memory;
            bool counting;
            std::uint32_t address;
            const char* name;
        } memories[] = {
            {Memory::Flash, project.autoIncrementFlash, project.autoIncAddressFlash, "Flash"},
            {Memory::Eeprom, project.autoIncrementEeprom, project.autoIncAddressEeprom, "Eeprom"}};
        for (const auto& m : memories) {
            const MemoryBuffer& buffer = job.buffer(m.memory);
            if (!m.counting || !buffer.hasData() || !buffer.modified()) continue;
            Question question;
            question.caption = job.messages().text(msg::QuestionCaption);
            question.text = formatCliText(language(), CliText::SaveCounterQuestion, m.name,
                                          counterText(buffer, m.address).c_str(), buffer.fileName().c_str());
            question.buttons = Buttons::YesNo;
            question.defaultAnswer = Answer::No;
            if (job_.ui.ask(question) == Answer::Yes && !job.writeCounterBack(m.memory)) saveFailed_ = true;
        }
    }

    CommandOutcome outcome(const ProductionLine& line) const {
        CommandOutcome result;
        int chips = 0;
        int passed = 0;
        for (std::size_t k = 0; k < boards_.size(); ++k) {
            const BoardTally& tally = line.tally(k);
            chips += tally.chips;
            passed += tally.passed;
            if (result.status != ExitStatus::Success) continue;
            if (tally.firstFailure)
                result.status = *tally.firstFailure > 0 ? static_cast<ExitStatus>(*tally.firstFailure)
                                                        : ExitStatus::Failure;
            else if (tally.chips == 0 && !options_.autoNext)
                result.status = ExitStatus::Failure;
        }
        result.details.add("boards", static_cast<int>(boards_.size()))
            .add("chips", chips)
            .add("passed", passed);
        if (const std::string why = line.stopReason(); !why.empty()) {
            if (result.status == ExitStatus::Success) result.status = ExitStatus::FileError;
            result.summary = why;
        } else if (saveFailed_ && result.status == ExitStatus::Success) {
            result.status = ExitStatus::FileError;
        } else if (job_.wasInterrupted() && result.status == ExitStatus::Success && !options_.autoNext) {
            result.status = ExitStatus::Cancelled;
        }
        return result;
    }

    CommandContext& job_;
    const GangEnvironment& environment_;
    const CliOptions& options_;

    std::string storePath_;
    std::unique_ptr<SqliteSerialAllocator> store_;
    ChipLog log_;
    std::vector<std::unique_ptr<SimulatedBoard>> simulated_;
    std::unique_ptr<sim::ControlChannel> control_;
    std::unique_ptr<GangProgress> progress_;
    std::vector<std::unique_ptr<Board>> boards_;
    bool saveFailed_ = false;
};

} // namespace

CommandOutcome runGang(CommandContext& job, const GangEnvironment& environment) {
    return GangRun(job, environment).run();
}

} // namespace tovel::cli
