#include "cli/chip_commands.h"

#include <cstdio>

#include "cli/doctor_command.h"
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

CommandOutcome outcomeOf(Outcome outcome) { return CommandOutcome{exitStatusOf(outcome), {}, {}}; }

// Save As writes the file, or says why not ("Cannot save file").
CommandOutcome saveOutcome(bool saved) { return outcomeOf(saved ? Outcome::Ok : Outcome::File); }

std::string signatureText(const Signature& signature) {
    char text[16];
    std::snprintf(text, sizeof text, "%02X %02X %02X", signature[0], signature[1], signature[2]);
    return text;
}

CommandOutcome info(CommandContext& context) { return outcomeOf(context.workbench.showBoardInfo()); }

CommandOutcome search(CommandContext& context) {
    CommandOutcome result = outcomeOf(context.workbench.searchBoard());
    if (const int port = context.workbench.comPort(); port != 0) result.details.add("comPort", port);
    return result;
}

CommandOutcome signature(CommandContext& context) {
    Workbench& workbench = context.workbench;
    const int selected = workbench.deviceNo();
    if (DeviceTable::device(selected).isDataFlash())
        return outcomeOf(workbench.readSignatureButton()); // the DataFlash detection
    // The 3-byte AT89S parts cannot be asked for their signature.
    if (!workbench.commandStates().readSignature) return notForDevice(context);
    if (const Outcome read = workbench.readSignature(); read != Outcome::Ok) return outcomeOf(read);

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
    return outcomeOf(context.workbench.chipErase());
}

CommandOutcome blankCheck(CommandContext& context) {
    if (!context.workbench.commandStates().blankCheck) return notForDevice(context);
    return outcomeOf(context.workbench.blankCheck());
}

CommandOutcome calibration(CommandContext& context) {
    if (!context.workbench.commandStates().readCalibrationBytes) return notForDevice(context);
    return outcomeOf(context.workbench.readCalibrationBytes());
}

CommandOutcome read(CommandContext& context) {
    Workbench& workbench = context.workbench;
    const Memory memory = memoryOf(context.options);
    const CommandStates states = workbench.commandStates();
    if (!(memory == Memory::Flash ? states.readFlash : states.readEeprom)) return notForDevice(context);

    const Outcome read = memory == Memory::Flash ? workbench.readFlash() : workbench.readEeprom();
    if (read != Outcome::Ok) return outcomeOf(read);

    // The buffer's own Save As writes the file: its format follows the file name.
    context.ui.answerNextFileChoice(context.options.files[0]);
    return saveOutcome(workbench.saveBufferAs(memory));
}

// Loads FILE into the buffer for program and verify. Nothing when it was loaded.
std::optional<CommandOutcome> loadImage(CommandContext& context, Memory memory) {
    if (!context.imageLoaded && !context.workbench.loadBufferFile(memory, context.options.files[0]))
        return outcomeOf(Outcome::File); // the box said why
    const CommandStates states = context.workbench.commandStates();
    if (!(memory == Memory::Flash ? states.programFlash : states.programEeprom)) return notForDevice(context);
    return std::nullopt;
}

CommandOutcome program(CommandContext& context) {
    const Memory memory = memoryOf(context.options);
    if (std::optional<CommandOutcome> refused = loadImage(context, memory)) return std::move(*refused);
    return outcomeOf(memory == Memory::Flash ? context.workbench.programFlash()
                                             : context.workbench.programEeprom());
}

CommandOutcome verify(CommandContext& context) {
    Workbench& workbench = context.workbench;
    const Memory memory = memoryOf(context.options);
    if (std::optional<CommandOutcome> refused = loadImage(context, memory)) return std::move(*refused);
    OperationState& state = workbench.state();
    state.firstMismatch = -1;
    CommandOutcome result =
        outcomeOf(memory == Memory::Flash ? workbench.verifyFlash() : workbench.verifyEeprom());
    const bool verified = memory == Memory::Flash ? state.flashVerified : state.eepromVerified;
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
    if (const Outcome read = context.workbench.readLockFuse(settings); read != Outcome::Ok)
        return outcomeOf(read);
    // A chip without a lock-read instruction ("cannot read") gives no bits to report.
    if (settings.readable == 0) return outcomeOf(Outcome::Failed);
    reportLockFuse(context.reporter, context.workbench.deviceNo(), settings, messagesOf(context));
    return CommandOutcome{};
}

CommandOutcome fusesProgram(CommandContext& context) {
    if (!hasLockFuseBits(context)) return notForDevice(context);
    const LockFuseSettings& settings = context.workbench.project().lockFuseSelection;
    if (!lockFuseSettingsAccepted(context, settings)) return outcomeOf(Outcome::Cancelled);
    return outcomeOf(context.workbench.programLockFuse(settings).outcome);
}

CommandOutcome fusesVerify(CommandContext& context) {
    if (!hasLockFuseBits(context)) return notForDevice(context);
    return outcomeOf(context.workbench.verifyLockFuse(context.workbench.project().lockFuseSelection));
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
    const Outcome updated = context.workbench.updateFirmware(image, dialog);
    return outcomeOf(declined ? Outcome::Cancelled : updated);
}

CommandOutcome convert(CommandContext& context) {
    const std::string& in = context.options.files[0];
    const std::string& out = context.options.files[1];
    // The EEPROM buffer keeps an odd size; the Flash buffer fills it up to whole words.
    const Memory memory =
        hasExtension(in, ".eep") || hasExtension(out, ".eep") ? Memory::Eeprom : Memory::Flash;
    if (!context.workbench.loadBufferFile(memory, in)) return outcomeOf(Outcome::File);
    context.ui.answerNextFileChoice(out);
    return saveOutcome(context.workbench.saveBufferAs(memory));
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
    case Command::Doctor:
        return runDoctorCommand(context);
    case Command::Devices:
    case Command::Ports:
    case Command::AutoProgram:
        break;
    }
    return CommandOutcome{ExitStatus::Failure, {}, {}};
}

} // namespace tovel::cli
