#include "cli/production_loop.h"

#include <algorithm>
#include <ctime>

#include "cli/chip_commands.h"
#include "cli/csv_log.h"
#include "devices/device_table.h"
#include "image/memory_buffer.h"
#include "ops/chip_context.h"
#include "project/project.h"

namespace tovel::cli {

namespace {

constexpr std::size_t kCounterBytes = 4;

std::string localTimeText() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[40];
    return std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S%z", &local) > 0 ? text : "";
}

struct Counters {
    std::string flash;
    std::string eeprom;
};

Counters countersOf(Workbench& workbench) {
    const Project& project = workbench.project();
    Counters counters;
    if (project.autoIncrementFlash)
        counters.flash = counterText(workbench.flash(), project.autoIncAddressFlash);
    if (project.autoIncrementEeprom)
        counters.eeprom = counterText(workbench.eeprom(), project.autoIncAddressEeprom);
    return counters;
}

class ProductionLoop {
public:
    explicit ProductionLoop(CommandContext& context) : context_(context), workbench_(context.workbench) {}

    CommandOutcome run() {
        if (!workbench_.commandStates().autoProgram) return notForDevice(context_);
        const Project& project = workbench_.project();
        if (project.programFuses && !lockFuseSettingsAccepted(context_, project.lockFuseSelection))
            return CommandOutcome{ExitStatus::Cancelled, {}, {}};
        if (context_.options.logPath &&
            !log_.open(*context_.options.logPath,
                       {"time", "device", "flash_counter", "eeprom_counter", "result", "exit_status"})) {
            CommandOutcome refused{ExitStatus::FileError, {}, {}};
            refused.summary =
                formatCliText(language(), CliText::LogUnwritable, context_.options.logPath->c_str());
            return refused;
        }

        const bool repeat = context_.options.repeat;
        while (!repeat || nextChipWanted()) {
            programChip();
            if (!repeat || context_.wasInterrupted()) break;
        }
        if (repeat) {
            context_.reporter.note("summary", formatCliText(language(), CliText::LoopSummary, chips_, passed_,
                                                            chips_ - passed_));
            offerToSaveCounters();
        }

        CommandOutcome result;
        result.status = firstFailure_.value_or(ExitStatus::Success);
        result.details.add("chips", chips_).add("passed", passed_);
        if (firstMismatch_ >= 0) result.details.add("firstMismatch", firstMismatch_);
        if (!logFailed_) return result;
        if (result.status == ExitStatus::Success) result.status = ExitStatus::FileError;
        result.summary = formatCliText(language(), CliText::LogUnwritable, context_.options.logPath->c_str());
        return result;
    }

private:
    Language language() const { return context_.language(); }

    bool nextChipWanted() {
        if (context_.wasInterrupted()) return false;
        context_.reporter.note("prompt", formatCliText(language(), CliText::ChipPrompt, chips_ + 1));
        const std::optional<std::string> line = context_.readLine ? context_.readLine() : std::nullopt;
        return line && *line != "q" && *line != "Q";
    }

    void programChip() {
        ++chips_;
        const Counters counters = countersOf(workbench_);
        context_.ui.clearLastStatus();
        workbench_.state().firstMismatch = -1;
        // The window counts a run whose lock bits failed as done (a box tells the person); the
        // run's outcome does not, and on a production line that chip must not pass.
        const Outcome outcome = workbench_.runUnattendedAutoProgram();
        ExitStatus status = exitStatusOf(outcome);
        if (!workbench_.autoProgramOk() && status == ExitStatus::Success) status = ExitStatus::Failure;
        const std::string result = context_.ui.lastStatus();

        const long mismatch = status == ExitStatus::VerifyMismatch ? workbench_.state().firstMismatch : -1;
        if (status == ExitStatus::Success) {
            ++passed_;
        } else if (!firstFailure_) {
            firstFailure_ = status;
            firstMismatch_ = mismatch;
        }
        if (log_.isOpen() &&
            !log_.append({localTimeText(), DeviceTable::device(workbench_.deviceNo()).name, counters.flash,
                          counters.eeprom, result, std::to_string(code(status))}))
            logFailed_ = true;
        if (!context_.options.repeat) return;

        JsonLine json;
        json.add("type", "chip")
            .add("number", chips_)
            .add("exit", code(status))
            .add("outcome", outcomeName(status))
            .add("result", result)
            .add("flashCounter", counters.flash)
            .add("eepromCounter", counters.eeprom);
        if (mismatch >= 0) json.add("firstMismatch", mismatch);
        const std::string text =
            status == ExitStatus::Success
                ? formatCliText(language(), CliText::ChipPassed, chips_)
                : formatCliText(language(), CliText::ChipFailed, chips_,
                                describeOutcome(status, language()).c_str(), code(status));
        context_.reporter.record(json, text);
    }

    // Buffers whose counter moved during this session: saving them lets the next session go on
    // from the next number rather than repeat one.
    void offerToSaveCounters() {
        const Project& project = workbench_.project();
        const struct {
            Memory memory;
            bool counting;
            std::uint32_t address;
            const char* name; // the memory's name is the same word in every language
        } memories[] = {
            {Memory::Flash, project.autoIncrementFlash, project.autoIncAddressFlash, "Flash"},
            {Memory::Eeprom, project.autoIncrementEeprom, project.autoIncAddressEeprom, "Eeprom"}};
        for (const auto& m : memories) {
            const MemoryBuffer& buffer = workbench_.buffer(m.memory);
            if (!m.counting || !buffer.hasData() || !buffer.modified()) continue;
            Question question;
            question.caption = workbench_.messages().text(msg::QuestionCaption);
            question.text = formatCliText(language(), CliText::SaveCounterQuestion, m.name,
                                          counterText(buffer, m.address).c_str(), buffer.fileName().c_str());
            question.buttons = Buttons::YesNo;
            question.defaultAnswer = Answer::No;
            if (context_.ui.ask(question) != Answer::Yes) continue;
            if (!workbench_.writeCounterBack(m.memory) && !firstFailure_)
                firstFailure_ = ExitStatus::FileError;
        }
    }

    CommandContext& context_;
    Workbench& workbench_;
    CsvLog log_;
    bool logFailed_ = false;
    int chips_ = 0;
    int passed_ = 0;
    std::optional<ExitStatus> firstFailure_;
    long firstMismatch_ = -1; // of the first chip that failed, when it failed its verify
};

} // namespace

std::string counterText(const MemoryBuffer& buffer, std::uint32_t address) {
    if (!buffer.hasData()) return {};
    const std::size_t last = std::min<std::size_t>(address, buffer.size() - 1);
    const std::size_t count = std::min(kCounterBytes, last + 1);
    std::string text;
    for (std::size_t i = last + 1 - count; i <= last; ++i) {
        static constexpr char kDigits[] = "0123456789ABCDEF";
        const std::uint8_t byte = buffer.data()[i];
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0x0F];
    }
    return text;
}

CommandOutcome runAutoProgram(CommandContext& context) { return ProductionLoop(context).run(); }

} // namespace tovel::cli
