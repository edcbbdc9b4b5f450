#include "ops/auto_program.h"

#include <cstddef>

#include "image/buffer_commands.h"
#include "ops/blank_check.h"
#include "ops/chip_context.h"
#include "ops/chip_erase.h"
#include "ops/lock_fuse_operations.h"
#include "ops/memory_programming.h"
#include "ops/memory_verifying.h"
#include "ops/operation_frame.h"
#include "ops/serial_counter.h"
#include "ops/transfer_settings.h"

namespace tovel {

namespace {

constexpr unsigned kAfterStepMs = 50;

// Keeps a project option switched off for a scope and restores it on every path out.
class OptionSwitchedOff {
public:
    explicit OptionSwitchedOff(bool& option) : option_(option), stored_(option) { option_ = false; }
    ~OptionSwitchedOff() { option_ = stored_; }
    OptionSwitchedOff(const OptionSwitchedOff&) = delete;
    OptionSwitchedOff& operator=(const OptionSwitchedOff&) = delete;
    bool stored() const { return stored_; }

private:
    bool& option_;
    const bool stored_;
};

// One memory's part of the run: Flash (steps 3-6) or EEPROM (steps 7-10).
struct MemorySteps {
    MemoryBuffer& buffer;
    bool reload, program, verify;
    bool& autoIncrement;
    std::uint32_t counterAddress;
    void (*programHandler)(ChipContext&);
    void (*verifyHandler)(ChipContext&);
    const bool& verified;
    unsigned reloadError, programError, verifyError, noImageError;

    // The chip has this memory (parts without EEPROM, serial memories without Flash, leave
    // those steps nothing to do).
    bool chipHasMemory;

    // A step is switched on that needs an image.
    bool needsImage() const { return chipHasMemory && (reload || program || verify); }
    // The run will have an image for those steps: one is loaded, or the reload step names a
    // file to load.
    bool imageAvailable() const {
        return buffer.hasData() ||
               (reload && buffer.fileName() != kUnspecifiedFileName && !buffer.fileName().empty());
    }
};

class AutoProgramRun {
public:
    explicit AutoProgramRun(ChipContext& context) : context_(context) {}

    void run();

private:
    // Before an erase, blank-check, program or verify step.
    void pause() {
        status(msg::Pausing);
        context_.clock.sleepMs(
            static_cast<unsigned>(context_.project.resetStrobeMs > 0 ? context_.project.resetStrobeMs : 0));
    }
    void succeeded() { context_.clock.sleepMs(kAfterStepMs); }
    bool fail(unsigned textId) {
        status(textId);
        return false;
    }
    void status(unsigned id) { context_.ui.setStatus(context_.messages.text(id)); }
    int operationStatus() const { return context_.state.operationStatus; }

    // A step switched on with no image to work on fails the run before the chip is touched.
    bool imagesPresent(const MemorySteps& flash, const MemorySteps& eeprom);
    bool eraseAndBlankCheck();
    // Reload, program and verify with the counter switched off, then the counter. False when a
    // step failed (reported).
    bool memorySteps(const MemorySteps& steps, std::size_t& programmedCount);
    void lockAndFuseBits();
    void finish();

    ChipContext& context_;
    bool acted_ = false;
    std::size_t flashCount_ = 0;
    std::size_t eepromCount_ = 0;
};

void AutoProgramRun::run() {
    OperationState& state = context_.state;
    state.flashVerified = true; // a run without verify steps counts as verified
    state.eepromVerified = true;
    state.autoProgramOk = false;
    if (context_.settings.comPort == 0) {
        status(msg::SelectComPortOrSearch);
        context_.ui.showInfo(context_.messages.text(msg::NoBoardSpecified));
        return;
    }
    status(msg::AutoprogramRunning);

    Project& project = context_.project;
    const DeviceRecord& device = DeviceTable::device(projectDeviceIndex(project));
    const MemorySteps flash{context_.flash,
                            project.autoFlashReload,
                            project.autoFlashProgram,
                            project.autoFlashVerify,
                            project.autoIncrementFlash,
                            project.autoIncAddressFlash,
                            &programFlash,
                            &verifyFlash,
                            state.flashVerified,
                            msg::AutoprogramErrorReloadingFlash,
                            msg::AutoprogramErrorProgrammingFlash,
                            msg::AutoprogramErrorVerifyingFlash,
                            msg::AutoprogramErrorNoFlashImage,
                            chipMemorySize(device, MemoryKind::Flash) != 0};
    const MemorySteps eeprom{context_.eeprom,
                             project.autoEepromReload,
                             project.autoEepromProgram,
                             project.autoEepromVerify,
                             project.autoIncrementEeprom,
                             project.autoIncAddressEeprom,
                             &programEeprom,
                             &verifyEeprom,
                             state.eepromVerified,
                             msg::AutoprogramErrorReloadingEeprom,
                             msg::AutoprogramErrorProgrammingEeprom,
                             msg::AutoprogramErrorVerifyingEeprom,
                             msg::AutoprogramErrorNoEepromImage,
                             chipMemorySize(device, MemoryKind::Eeprom) != 0};

    if (!imagesPresent(flash, eeprom)) return;
    if (!eraseAndBlankCheck()) return;
    if (!memorySteps(flash, flashCount_)) return;
    if (!memorySteps(eeprom, eepromCount_)) return;
    if (project.programFuses) lockAndFuseBits();
    finish();
}

bool AutoProgramRun::imagesPresent(const MemorySteps& flash, const MemorySteps& eeprom) {
    for (const MemorySteps* steps : {&flash, &eeprom})
        if (steps->needsImage() && !steps->imageAvailable()) return fail(steps->noImageError);
    return true;
}

bool AutoProgramRun::eraseAndBlankCheck() {
    const Project& project = context_.project;
    if (project.autoErase) {
        pause();
        acted_ = true;
        chipErase(context_);
        if (operationStatus() < 0) return fail(msg::AutoprogramErrorErasingDevice);
        succeeded();
    }
    if (project.autoEmptyCheck) {
        pause();
        blankCheck(context_);
        if (operationStatus() == 1) return fail(msg::AutoprogramErrorFlashNotEmpty);
        if (operationStatus() < 0) return fail(msg::AutoprogramErrorCheckingDevice);
        succeeded();
    }
    return true;
}

bool AutoProgramRun::memorySteps(const MemorySteps& steps, std::size_t& programmedCount) {
    MemoryBuffer& buffer = steps.buffer;
    bool incrementCounter = false;
    {
        // The program handler would increment the counter itself, before the verify; the run
        // does it after the verify instead, so the verify compares what was programmed.
        OptionSwitchedOff counterOff(steps.autoIncrement);
        incrementCounter = counterOff.stored();
        // Every step switched on runs: one without an image fails the run, never is skipped.
        if (steps.reload) {
            runBufferCommand(buffer, BufferCommand::Reload, context_.ui, context_.state.operationStatus);
            if (operationStatus() < 0) return fail(steps.reloadError);
            succeeded();
        }
        if (!buffer.hasData()) {
            if (steps.needsImage()) return fail(steps.noImageError);
            return true; // nothing for a part without this memory
        }
        if (steps.program) {
            pause();
            acted_ = true;
            steps.programHandler(context_);
            if (operationStatus() < 0) return fail(steps.programError);
            programmedCount = context_.state.programmedBytes;
            succeeded();
        }
        if (steps.verify) {
            pause();
            acted_ = true;
            steps.verifyHandler(context_);
            if (operationStatus() < 0 || !steps.verified) return fail(steps.verifyError);
            succeeded();
        }
    }
    if (incrementCounter && buffer.hasData() &&
        incrementSerialCounter(buffer, steps.counterAddress, CounterFileRule::AnyFile) &&
        context_.refreshBuffer)
        context_.refreshBuffer(buffer);
    return true;
}

void AutoProgramRun::lockAndFuseBits() {
    status(msg::LockBits);
    if (!programLockFuse(context_, context_.project.lockFuseSelection))
        context_.ui.showInfo(context_.messages.text(msg::ErrorProgrammingLockBits));
}

void AutoProgramRun::finish() {
    OperationState& state = context_.state;
    const Messages& messages = context_.messages;
    if (!acted_) return status(msg::NoActionsAutoprogram);
    if (!state.flashVerified || !state.eepromVerified) return status(msg::AutoprogramVerificationFailed);
    // DONE is earned: every step switched on ran and succeeded (a step without its image failed
    // the run above), each verify step compared every byte it counts, and the counts are the
    // bytes each program step saw acknowledged by the chip.

    const int flash = static_cast<int>(flashCount_);
    const int eeprom = static_cast<int>(eepromCount_);
    std::string text;
    if (flash != 0 && eeprom != 0)
        text = messages.format(msg::AutoprogramDoneBoth, flash, eeprom);
    else if (flash != 0)
        text = messages.format(msg::AutoprogramDoneFlash, flash);
    else if (eeprom != 0)
        text = messages.format(msg::AutoprogramDoneEeprom, eeprom);
    else
        text = messages.text(msg::AutoprogramDoneNothing);
    context_.ui.setStatus(text);
    state.autoProgramOk = true;
}

} // namespace

void autoProgram(ChipContext& context) { AutoProgramRun(context).run(); }

bool runUnattendedAutoProgram(ChipContext& context) {
    context.state.autoProgramOk = false;
    autoProgram(context);
    const bool ok = context.state.autoProgramOk;
    context.ui.showPlain(context.messages.text(ok ? msg::AutoprogramOk : msg::AutoprogramErrorSummary));
    return ok;
}

} // namespace tovel
