#include "cli/chip_commands.h"

#include <cstdio>

#include "cli/fuse_report.h"
#include "devices/device_table.h"
#include "devices/fuse_layout.h"
#include "devices/fuse_safety_check.h"
#include "image/image_file.h"
#include "image/memory_buffer.h"
#include "ops/chip_context.h"
#include "project/project.h"

namespace tovel::cli {

namespace {

Memory memoryOf(const CliOptions& options) {
    return options.memory == MemoryArg::Eeprom ? Memory::Eeprom : Memory::Flash;
}

const Messages& messagesOf(CommandContext& context) { return context.workbench.messages(); }

// Whether the core reported the catalogue text `id` (as a status text or in a box).
bool reported(CommandContext& context, unsigned id) {
    const std::string text = messagesOf(context).text(id);
    for (const ReportedEvent& event : context.ui.events())
        if (event.kind != ReportedEvent::Kind::Question && event.text.starts_with(text)) return true;
    return false;
}

std::optional<ExitStatus> failureReported(CommandContext& context) {
    return firstFailure(context.ui.events(), messagesOf(context));
}

// The outcome of an operation: success when `succeeded`, else the first failure it reported (or
// `fallback` when it reported none that is known).
CommandOutcome outcome(CommandContext& context, bool succeeded, ExitStatus fallback = ExitStatus::Failure) {
    CommandOutcome result;
    result.status = succeeded ? ExitStatus::Success : failureReported(context).value_or(fallback);
    return result;
}

// Save As answers true once a file was chosen, also when writing it failed ("Cannot save file"
// was shown): the file only counts as written when no failure was reported.
CommandOutcome saveOutcome(CommandContext& context, bool saved) {
    return outcome(context, saved && !failureReported(context), ExitStatus::FileError);
}

std::string signatureText(const Signature& signature) {
    char text[16];
    std::snprintf(text, sizeof text, "%02X %02X %02X", signature[0], signature[1], signature[2]);
    return text;
}

CommandOutcome info(CommandContext& context) {
    context.workbench.showBoardInfo();
    return outcome(context, !failureReported(context));
}

CommandOutcome search(CommandContext& context) {
    context.workbench.searchBoard();
    const int port = context.workbench.comPort();
    CommandOutcome result = outcome(context, port != 0, ExitStatus::Connection);
    if (port != 0) result.details.add("comPort", port);
    return result;
}

CommandOutcome signature(CommandContext& context) {
    Workbench& workbench = context.workbench;
    const int selected = workbench.deviceNo();
    if (DeviceTable::device(selected).isDataFlash()) {
        workbench.readSignatureButton(); // the DataFlash detection
        return outcome(context, !failureReported(context) && reported(context, msg::AT45MemoryDetected),
                       ExitStatus::WrongChip);
    }
    // The 3-byte AT89S parts cannot be asked for their signature.
    if (!workbench.commandStates().readSignature) return notForDevice(context);
    workbench.readSignature();
    if (const std::optional<ExitStatus> failure = failureReported(context))
        return CommandOutcome{*failure, {}, {}};

    const Signature& read = workbench.state().lastSignature;
    const int found = DeviceTable::findBySignature(read[0], read[1], read[2]);
    CommandOutcome result;
    result.details.add("signature", signatureText(read));
    if (found >= 0) result.details.add("device", DeviceTable::device(found).name);
    // A chip that is not in the table, or not the chip named on the command line or in the project.
    if (found < 0 || (context.deviceChosen && found != selected)) result.status = ExitStatus::WrongChip;
    return result;
}

CommandOutcome erase(CommandContext& context) {
    if (!context.workbench.commandStates().chipErase) return notForDevice(context);
    context.workbench.chipErase();
    return outcome(context, context.workbench.state().operationStatus == 0);
}

CommandOutcome blankCheck(CommandContext& context) {
    if (!context.workbench.commandStates().blankCheck) return notForDevice(context);
    context.workbench.blankCheck();
    const int status = context.workbench.state().operationStatus;
    if (status == 1) return CommandOutcome{ExitStatus::NotBlank, {}, {}};
    return outcome(context, status == 0);
}

CommandOutcome calibration(CommandContext& context) {
    if (!context.workbench.commandStates().readCalibrationBytes) return notForDevice(context);
    context.workbench.readCalibrationBytes();
    return outcome(context, !failureReported(context));
}

CommandOutcome read(CommandContext& context) {
    Workbench& workbench = context.workbench;
    const Memory memory = memoryOf(context.options);
    const CommandStates states = workbench.commandStates();
    if (!(memory == Memory::Flash ? states.readFlash : states.readEeprom)) return notForDevice(context);

    if (memory == Memory::Flash)
        workbench.readFlash();
    else
        workbench.readEeprom();
    const bool read = reported(context, memory == Memory::Flash ? msg::FlashReadOK : msg::ReadEepromOK);
    if (!read || failureReported(context)) return outcome(context, false);

    // The buffer's own Save As writes the file: its format follows the file name.
    context.ui.answerNextFileChoice(context.options.files[0]);
    return saveOutcome(context, workbench.saveBufferAs(memory));
}

// Loads FILE into the buffer for program and verify. Nothing when it was loaded.
std::optional<CommandOutcome> loadImage(CommandContext& context, Memory memory) {
    if (!context.workbench.loadBufferFile(memory, context.options.files[0]))
        return outcome(context, false, ExitStatus::FileError);
    const CommandStates states = context.workbench.commandStates();
    if (!(memory == Memory::Flash ? states.programFlash : states.programEeprom)) return notForDevice(context);
    return std::nullopt;
}

CommandOutcome program(CommandContext& context) {
    const Memory memory = memoryOf(context.options);
    if (std::optional<CommandOutcome> refused = loadImage(context, memory)) return std::move(*refused);
    if (memory == Memory::Flash)
        context.workbench.programFlash();
    else
        context.workbench.programEeprom();
    return outcome(context, context.workbench.state().operationStatus == 0);
}

CommandOutcome verify(CommandContext& context) {
    Workbench& workbench = context.workbench;
    const Memory memory = memoryOf(context.options);
    if (std::optional<CommandOutcome> refused = loadImage(context, memory)) return std::move(*refused);
    OperationState& state = workbench.state();
    state.firstMismatch = -1;
    if (memory == Memory::Flash)
        workbench.verifyFlash();
    else
        workbench.verifyEeprom();
    const bool verified = memory == Memory::Flash ? state.flashVerified : state.eepromVerified;
    CommandOutcome result = outcome(context, verified);
    if (!verified && state.firstMismatch >= 0) {
        result.status = ExitStatus::VerifyMismatch;
        result.details.add("firstMismatch", state.firstMismatch);
        result.summary = formatCliText(context.language(), CliText::OutcomeVerifyMismatchAt,
                                       state.firstMismatch, state.firstMismatch);
    }
    return result;
}

bool hasLockFuseBits(CommandContext& context) { return layoutOf(context.workbench.deviceNo()) != nullptr; }

CommandOutcome fusesRead(CommandContext& context) {
    if (!hasLockFuseBits(context)) return notForDevice(context);
    LockFuseSettings settings;
    const bool read = context.workbench.readLockFuse(settings);
    if (!read || settings.readable == 0 || failureReported(context)) return outcome(context, false);
    reportLockFuse(context.reporter, context.workbench.deviceNo(), settings, messagesOf(context));
    return CommandOutcome{};
}

CommandOutcome fusesProgram(CommandContext& context) {
    if (!hasLockFuseBits(context)) return notForDevice(context);
    const LockFuseSettings& settings = context.workbench.project().lockFuseSelection;
    if (!lockFuseSettingsAccepted(context, settings)) return outcome(context, false, ExitStatus::Cancelled);
    const bool done = context.workbench.programLockFuse(settings);
    return outcome(context, done && !failureReported(context));
}

CommandOutcome fusesVerify(CommandContext& context) {
    if (!hasLockFuseBits(context)) return notForDevice(context);
    context.workbench.verifyLockFuse(context.workbench.project().lockFuseSelection);
    return outcome(context, !failureReported(context) && reported(context, msg::LockFuseBitsVerifyOK),
                   ExitStatus::VerifyMismatch);
}

CommandOutcome updateFirmware(CommandContext& context) {
    bool declined = false;
    const SelfProgramSettings dialog = [&](const std::string& current,
                                           const std::string& next) -> std::optional<UploadSpeed> {
        const Language language = context.language();
        context.reporter.note(
            "firmware", formatCliText(language, CliText::FirmwareVersions, current.c_str(), next.c_str()));
        bool go = false;
        if (context.options.answerYes) {
            go = *context.options.answerYes;
        } else {
            // The person power-cycles the board now; Enter says it is done.
            context.reporter.note("prompt", cliText(CliText::PowerCyclePrompt, language));
            const std::optional<std::string> line = context.readLine ? context.readLine() : std::nullopt;
            go = line && *line != "q" && *line != "Q";
        }
        declined = !go;
        if (!go) return std::nullopt;
        return context.options.reducedSpeed ? UploadSpeed::Reduced : UploadSpeed::Normal;
    };
    const std::string image = context.options.files.empty() ? std::string() : context.options.files[0];
    const bool updated = context.workbench.updateFirmware(image, dialog);
    if (declined) return CommandOutcome{ExitStatus::Cancelled, {}, {}};
    return outcome(context, updated, ExitStatus::Connection);
}

CommandOutcome convert(CommandContext& context) {
    const std::string& in = context.options.files[0];
    const std::string& out = context.options.files[1];
    // The EEPROM buffer keeps an odd size; the Flash buffer fills it up to whole words.
    const Memory memory =
        hasExtension(in, ".eep") || hasExtension(out, ".eep") ? Memory::Eeprom : Memory::Flash;
    if (!context.workbench.loadBufferFile(memory, in)) return outcome(context, false, ExitStatus::FileError);
    context.ui.answerNextFileChoice(out);
    return saveOutcome(context, context.workbench.saveBufferAs(memory));
}

} // namespace

CommandOutcome notForDevice(CommandContext& context) {
    CommandOutcome result;
    result.status = ExitStatus::Usage;
    result.summary =
        formatCliText(context.language(), CliText::NotForDevice, context.options.commandName.c_str(),
                      DeviceTable::device(context.workbench.deviceNo()).name);
    return result;
}

bool lockFuseSettingsAccepted(CommandContext& context, const LockFuseSettings& settings) {
    const FuseLayout* layout = layoutOf(context.workbench.deviceNo());
    if (layout == nullptr) return true;
    const std::optional<std::string> warning = safetyWarning(*layout, settings, messagesOf(context));
    if (!warning) return true;
    Question question;
    question.caption = messagesOf(context).text(msg::Warning);
    question.text = *warning;
    question.buttons = Buttons::YesNo;
    question.defaultAnswer = Answer::No;
    question.icon = BoxIcon::Warning;
    return context.ui.ask(question) == Answer::Yes;
}

CommandOutcome runChipCommand(CommandContext& context) {
    switch (context.options.command) {
    case Command::Info:
        return info(context);
    case Command::Search:
        return search(context);
    case Command::Signature:
        return signature(context);
    case Command::Erase:
        return erase(context);
    case Command::BlankCheck:
        return blankCheck(context);
    case Command::Calibration:
        return calibration(context);
    case Command::Read:
        return read(context);
    case Command::Program:
        return program(context);
    case Command::Verify:
        return verify(context);
    case Command::FusesRead:
        return fusesRead(context);
    case Command::FusesProgram:
        return fusesProgram(context);
    case Command::FusesVerify:
        return fusesVerify(context);
    case Command::UpdateFirmware:
        return updateFirmware(context);
    case Command::Convert:
        return convert(context);
    case Command::Devices:
    case Command::Ports:
    case Command::AutoProgram:
        break;
    }
    return CommandOutcome{ExitStatus::Failure, {}, {}};
}

} // namespace tovel::cli
