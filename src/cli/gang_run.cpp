#include "cli/gang_run.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <ctime>
#include <memory>
#include <mutex>
#include <thread>
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
#include "production/sqlite_serial_allocator.h"
#include "project/project.h"
#include "sim/control_channel.h"

namespace tovel::cli {

namespace {

using SteadyClock = std::chrono::steady_clock;

// How often the hands-free loop looks for a chip being put in or taken out.
constexpr auto kPollInterval = std::chrono::milliseconds(500);

std::string localTimeText() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[40];
    return std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S%z", &local) > 0 ? text : "";
}

std::int64_t millisecondsSince(SteadyClock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - start).count();
}

// "5" and "com5" are shown as COM5; a path as given.
std::string portLabel(const std::string& argument) {
    if (argument.find('/') != std::string::npos) return argument;
    std::string digits = argument;
    if (digits.size() > 3 && (digits[0] == 'c' || digits[0] == 'C')) digits = digits.substr(3);
    return "COM" + digits;
}

std::string hexBytes(const SerialNumber& serial) {
    std::string text;
    char byte[3];
    for (const std::uint8_t b : serial) {
        std::snprintf(byte, sizeof byte, "%02X", b);
        text += byte;
    }
    return text;
}

struct Board {
    std::string label;
    std::string path;
    std::unique_ptr<BoardReporter> reporter;
    std::unique_ptr<CliUserInterface> ui;
    std::unique_ptr<Workbench> workbench;
    std::string boardSerial;

    // The table's row.
    std::string signature;
    std::string serial;
    std::optional<ExitStatus> firstFailure;
    int chips = 0;
    int passed = 0;
    std::int64_t milliseconds = 0;
};

class GangRun {
public:
    GangRun(CommandContext& job, const GangEnvironment& environment)
        : job_(job), environment_(environment), options_(job.options) {}

    CommandOutcome run() {
        if (std::optional<CommandOutcome> refused = prepareJob()) return std::move(*refused);
        if (std::optional<CommandOutcome> refused = makeBoards()) return std::move(*refused);

        if (options_.command != Command::AutoProgram)
            runRound([this](Board& board) { runCommand(board); });
        else if (options_.autoNext)
            runRound([this](Board& board) { handsFree(board); });
        else if (options_.repeat)
            for (int round = 1; !stopping() && nextRoundWanted(round); ++round)
                runRound([this](Board& board) { programChip(board, probe(board)); });
        else
            runRound([this](Board& board) { programChip(board, probe(board)); });

        printTable();
        if (options_.command == Command::AutoProgram) offerToSaveCounters();
        return outcome();
    }

private:
    Language language() const { return job_.language(); }
    bool stopping() const { return lineStopped_ || job_.wasInterrupted(); }

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
            claims_ = serialClaims(job);
            if (std::optional<CommandOutcome> refused = openStore()) return refused;
            if (const std::optional<std::string> failed = log_.open(options_.logPath, options_.logJsonPath))
                return refusal(ExitStatus::FileError,
                               formatCliText(language(), CliText::LogUnwritable, failed->c_str()));
        }
        return std::nullopt;
    }

    std::optional<CommandOutcome> openStore() {
        if (claims_.empty()) return std::nullopt;
        std::string path;
        if (options_.serialsPath)
            path = *options_.serialsPath;
        else if (options_.projectPath)
            path = SqliteSerialAllocator::pathForProject(*options_.projectPath);
        else
            return refusal(ExitStatus::Usage, cliText(CliText::SerialsNeedStore, language()));
        store_ = std::make_unique<SqliteSerialAllocator>(path);
        if (store_->ok()) return std::nullopt;
        return refusal(ExitStatus::FileError, formatCliText(language(), CliText::SerialStoreFailed,
                                                            path.c_str(), store_->lastError().c_str()));
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
            board->ui =
                std::make_unique<CliUserInterface>(*board->reporter, options_.answerYes, job_.interrupted);
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

    // --- On every board at once ---

    template <typename Work> void runRound(Work work) {
        std::vector<std::thread> threads;
        for (auto& board : boards_)
            threads.emplace_back([&work, &board] {
                const SteadyClock::time_point start = SteadyClock::now();
                work(*board);
                board->milliseconds += millisecondsSince(start);
            });
        for (std::thread& thread : threads) thread.join();
    }

    bool nextRoundWanted(int round) {
        if (job_.wasInterrupted()) return false;
        job_.reporter.note("prompt", formatCliText(language(), CliText::ChipPrompt, round));
        const std::optional<std::string> line = job_.readLine ? job_.readLine() : std::nullopt;
        return line && *line != "q" && *line != "Q";
    }

    void runCommand(Board& board) {
        CommandContext context{*board.workbench, *board.ui, *board.reporter, options_, LineReader{},
                               job_.interrupted, true};
        context.imageLoaded = true;
        board.ui->clearEvents();
        const CommandOutcome outcome = runChipCommand(context);
        ++board.chips;
        if (outcome.status == ExitStatus::Success)
            ++board.passed;
        else
            board.firstFailure = outcome.status;
        const Signature& signature = board.workbench->state().lastSignature;
        if (signature != Signature{0xFF, 0xFF, 0xFF}) board.signature = signatureText(signature);
        JsonLine json;
        json.add("type", "board")
            .add("exit", code(outcome.status))
            .add("outcome", outcomeName(outcome.status));
        board.reporter->record(json, outcome.status == ExitStatus::Success
                                         ? cliText(CliText::GangPassed, language())
                                         : formatCliText(language(), CliText::FailedWith,
                                                         describeOutcome(outcome.status, language()).c_str(),
                                                         code(outcome.status)));
    }

    // The chip in the board's socket, read without a word to the person.
    std::optional<Signature> probe(Board& board) {
        board.reporter->setMuted(true);
        if (board.boardSerial.empty()) {
            SerialNumber serial{};
            std::string text;
            if (board.workbench->session().readBoardVersion(board.workbench->comPort(), &text, &serial,
                                                            false))
                board.boardSerial = hexBytes(serial);
        }
        const std::optional<Signature> signature = probeChip(*board.workbench);
        board.reporter->setMuted(false);
        return signature;
    }

    // Waits, a poll at a time, until a chip is in the socket (`present`) or out of it. False when
    // the line is stopping.
    bool waitForChip(Board& board, bool present, std::optional<Signature>& signature) {
        for (;;) {
            signature = probe(board);
            if (signature.has_value() == present) return true;
            std::unique_lock lock(stopMutex_);
            if (stopped_.wait_for(lock, kPollInterval, [this] { return stopping(); })) return false;
        }
    }

    void handsFree(Board& board) {
        std::optional<Signature> signature;
        while (!stopping()) {
            board.reporter->note("prompt", cliText(CliText::WaitingForChip, language()));
            if (!waitForChip(board, true, signature)) return;
            board.reporter->note(
                "chip", formatCliText(language(), CliText::ChipInserted, signatureText(*signature).c_str()));
            programChip(board, signature);
            if (stopping()) return;
            board.reporter->note("prompt", cliText(CliText::RemoveChip, language()));
            if (!waitForChip(board, false, signature)) return;
        }
    }

    void programChip(Board& board, const std::optional<Signature>& signature) {
        if (stopping()) return;
        Workbench& workbench = *board.workbench;
        const Project& project = job_.workbench.project();
        const SteadyClock::time_point start = SteadyClock::now();
        ChipRecord chip;
        chip.startedAt = localTimeText();
        chip.port = board.label;
        chip.boardSerial = board.boardSerial;
        chip.device = DeviceTable::device(workbench.deviceNo()).name;
        if (signature) chip.signature = signatureText(*signature);
        board.signature = chip.signature;

        // The numbers are spent (committed) before the chip sees them.
        if (store_ && !store_->allocate(claims_, chip)) {
            stopLine(formatCliText(language(), CliText::SerialStoreFailed, "", store_->lastError().c_str()));
            board.firstFailure = board.firstFailure.value_or(ExitStatus::FileError);
            return;
        }
        stampSerials(job_.workbench, workbench, chip);
        ChipLogLine line{chip, {}, {}};
        if (project.autoIncrementFlash)
            line.flashCounter = counterText(workbench.flash(), project.autoIncAddressFlash);
        if (project.autoIncrementEeprom)
            line.eepromCounter = counterText(workbench.eeprom(), project.autoIncAddressEeprom);

        board.ui->clearEvents();
        workbench.state().firstMismatch = -1;
        const bool ok = workbench.runUnattendedAutoProgram();
        const std::vector<ReportedEvent> events = board.ui->events();
        // The run's own result decides; a lock-bit failure, which the window lets pass with a
        // box, fails the chip on a production line.
        ExitStatus status =
            ok ? failureAfter(events, msg::LockBits, workbench.messages()).value_or(ExitStatus::Success)
               : classifyFailure(events, workbench.messages());
        if (!ok && status == ExitStatus::Success) status = ExitStatus::Failure;

        chip.result = status == ExitStatus::Success ? ChipResult::Passed : ChipResult::Failed;
        chip.exitCode = code(status);
        chip.status = board.ui->lastStatus();
        chip.durationMs = millisecondsSince(start);
        ++board.chips;
        board.serial = serialText(chip);
        if (chip.result == ChipResult::Passed)
            ++board.passed;
        else if (!board.firstFailure)
            board.firstFailure = status;

        if (store_ && !store_->finish(chip))
            stopLine(formatCliText(language(), CliText::SerialStoreFailed, "", store_->lastError().c_str()));
        if (chip.result == ChipResult::Passed && !claims_.empty()) {
            std::lock_guard lock(jobMutex_);
            advanceJobCounters(job_.workbench, chip);
        }
        if (const std::optional<std::string> failed = log_.append(line))
            stopLine(formatCliText(language(), CliText::LogUnwritable, failed->c_str()));

        JsonLine json;
        json.add("type", "chip")
            .add("result", chipResultName(chip.result))
            .add("exit", chip.exitCode)
            .add("outcome", outcomeName(status))
            .add("status", chip.status)
            .add("signature", chip.signature)
            .add("serial", serialText(chip))
            .add("durationMs", static_cast<long long>(chip.durationMs));
        const std::string serial = serialText(chip).empty() ? std::string() : " " + serialText(chip);
        board.reporter->record(json, chip.result == ChipResult::Passed
                                         ? cliText(CliText::GangPassed, language()) + serial
                                         : cliText(CliText::GangFailed, language()) + serial + ": " +
                                               formatCliText(language(), CliText::FailedWith,
                                                             describeOutcome(status, language()).c_str(),
                                                             chip.exitCode));
    }

    // The store or a log cannot be written: no chip may go on without its record.
    void stopLine(const std::string& why) {
        {
            std::lock_guard lock(stopMutex_);
            if (!lineStopped_) stopReason_ = why;
            lineStopped_ = true;
        }
        stopped_.notify_all();
    }

    // --- After the boards ---

    void printTable() {
        job_.reporter.heading(cliText(CliText::GangHeader, language()));
        int passed = 0;
        for (const auto& board : boards_) {
            const bool ok = !board->firstFailure && board->chips > 0;
            if (ok) ++passed;
            const std::string result = cliText(ok ? CliText::GangPassed : CliText::GangFailed, language());
            char time[32];
            std::snprintf(time, sizeof time, "%.1f s", static_cast<double>(board->milliseconds) / 1000.0);
            char row[256];
            std::snprintf(row, sizeof row, "%-15s %-10s %-7s %-11s %s", board->label.c_str(),
                          board->signature.empty() ? "--" : board->signature.c_str(), result.c_str(),
                          board->serial.empty() ? "--" : board->serial.c_str(), time);
            JsonLine json;
            json.add("type", "board")
                .add("port", board->label)
                .add("signature", board->signature)
                .add("result", ok ? "passed" : "failed")
                .add("serial", board->serial)
                .add("chips", board->chips)
                .add("passed", board->passed)
                .add("timeMs", static_cast<long long>(board->milliseconds));
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
            if (job_.ui.ask(question) == Answer::Yes && !job.saveBuffer(m.memory)) saveFailed_ = true;
        }
    }

    CommandOutcome outcome() const {
        CommandOutcome result;
        int chips = 0;
        int passed = 0;
        for (const auto& board : boards_) {
            chips += board->chips;
            passed += board->passed;
            if (result.status == ExitStatus::Success && board->firstFailure)
                result.status = *board->firstFailure;
            if (result.status == ExitStatus::Success && board->chips == 0 && !options_.autoNext)
                result.status = ExitStatus::Failure;
        }
        result.details.add("boards", static_cast<int>(boards_.size()))
            .add("chips", chips)
            .add("passed", passed);
        if (lineStopped_) {
            if (result.status == ExitStatus::Success) result.status = ExitStatus::FileError;
            result.summary = stopReason_;
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

    std::vector<CounterClaim> claims_;
    std::unique_ptr<SqliteSerialAllocator> store_;
    ChipLog log_;
    std::vector<std::unique_ptr<SimulatedBoard>> simulated_;
    std::unique_ptr<sim::ControlChannel> control_;
    std::unique_ptr<GangProgress> progress_;
    std::vector<std::unique_ptr<Board>> boards_;

    std::mutex jobMutex_; // the job's buffers, when a passed chip moves their counters
    std::mutex stopMutex_;
    std::condition_variable stopped_;
    std::atomic<bool> lineStopped_{false};
    std::string stopReason_;
    bool saveFailed_ = false;
};

} // namespace

CommandOutcome runGang(CommandContext& job, const GangEnvironment& environment) {
    return GangRun(job, environment).run();
}

} // namespace tovel::cli
