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
    Outcome (*programHandler)(ChipContext&);
    Outcome (*verifyHandler)(ChipContext&);
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

    // The run's outcome: Ok only when every step switched on succeeded, the lock and fuse bits
    // included (the window shows DONE after a lock/fuse failure, which a box reports).
    Outcome run();

private:
    // Before an erase, blank-check, program or verify step.
    void pause() {
        status(msg::Pausing);
        context_.clock.sleepMs(
            static_cast<unsigned>(context_.project.resetStrobeMs > 0 ? context_.project.resetStrobeMs : 0));
    }
    void succeeded() { context_.clock.sleepMs(kAfterStepMs); }
    // Ends the run at a failed step with the run's text `textId`; the step's outcome stands.
    Outcome fail(unsigned textId, Outcome step) {
        status(textId);
        return step;
    }
    void status(unsigned id) { context_.ui.setStatus(context_.messages.text(id)); }

    // A step switched on with no image to work on fails the run before the chip is touched.
    Outcome imagesPresent(const MemorySteps& flash, const MemorySteps& eeprom);
    Outcome eraseAndBlankCheck();
    // Reload, program and verify with the counter switched off, then the counter. The outcome of
    // the step that failed (reported), else Ok.
    Outcome memorySteps(const MemorySteps& steps, std::size_t& programmedCount);
    Outcome lockAndFuseBits();
    Outcome finish(Outcome lockAndFuse);

    ChipContext& context_;
    bool acted_ = false;
    std::size_t flashCount_ = 0;
    std::size_t eepromCount_ = 0;
};

Outcome AutoProgramRun::run() {
    OperationState& state = context_.state;
    state.flashVerified = true; // a run without verify steps counts as verified
    state.eepromVerified = true;
    state.autoProgramOk = false;
    if (context_.settings.comPort == 0) {
        status(msg::SelectComPortOrSearch);
        context_.ui.showInfo(context_.messages.text(msg::NoBoardSpecified));
        return Outcome::Connection;
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

    if (const Outcome images = imagesPresent(flash, eeprom); images != Outcome::Ok) return images;
    if (const Outcome erased = eraseAndBlankCheck(); erased != Outcome::Ok) return erased;
    if (const Outcome flashDone = memorySteps(flash, flashCount_); flashDone != Outcome::Ok) return flashDone;
    if (const Outcome eepromDone = memorySteps(eeprom, eepromCount_); eepromDone != Outcome::Ok)
        return eepromDone;
    return finish(project.programFuses ? lockAndFuseBits() : Outcome::Ok);
}

Outcome AutoProgramRun::imagesPresent(const MemorySteps& flash, const MemorySteps& eeprom) {
    for (const MemorySteps* steps : {&flash, &eeprom})
        if (steps->needsImage() && !steps->imageAvailable()) return fail(steps->noImageError, Outcome::File);
    return Outcome::Ok;
}

Outcome AutoProgramRun::eraseAndBlankCheck() {
    const Project& project = context_.project;
    if (project.autoErase) {
        pause();
        acted_ = true;
        if (const Outcome erased = chipErase(context_); erased != Outcome::Ok)
            return fail(msg::AutoprogramErrorErasingDevice, erased);
        succeeded();
    }
    if (project.autoEmptyCheck) {
        pause();
        const Outcome blank = blankCheck(context_);
        if (blank == Outcome::NotBlank) return fail(msg::AutoprogramErrorFlashNotEmpty, blank);
        if (blank != Outcome::Ok) return fail(msg::AutoprogramErrorCheckingDevice, blank);
        succeeded();
    }
    return Outcome::Ok;
}

Outcome AutoProgramRun::memorySteps(const MemorySteps& steps, std::size_t& programmedCount) {
    MemoryBuffer& buffer = steps.buffer;
    bool incrementCounter = false;
    {
        // The program handler would increment the counter itself, before the verify; the run
        // does it after the verify instead, so the verify compares what was programmed.
        OptionSwitchedOff counterOff(steps.autoIncrement);
        incrementCounter = counterOff.stored();
        // Every step switched on runs: one without an image fails the run, never is skipped.
        if (steps.reload) {
            if (!runBufferCommand(buffer, BufferCommand::Reload, context_.ui, context_.state.operationStatus))
                return fail(steps.reloadError, Outcome::File);
            succeeded();
        }
        if (!buffer.hasData()) {
            if (steps.needsImage()) return fail(steps.noImageError, Outcome::File);
            return Outcome::Ok; // nothing for a part without this memory
        }
        if (steps.program) {
            pause();
            acted_ = true;
            if (const Outcome programmed = steps.programHandler(context_); programmed != Outcome::Ok)
                return fail(steps.programError, programmed);
            programmedCount = context_.state.programmedBytes;
            succeeded();
        }
        if (steps.verify) {
            pause();
            acted_ = true;
            const Outcome verified = steps.verifyHandler(context_);
            if (verified != Outcome::Ok || !steps.verified)
                return fail(steps.verifyError, verified != Outcome::Ok ? verified : Outcome::VerifyMismatch);
            succeeded();
        }
    }
    if (incrementCounter && buffer.hasData() &&
        incrementSerialCounter(buffer, steps.counterAddress, CounterFileRule::AnyFile) &&
        context_.refreshBuffer)
        context_.refreshBuffer(buffer);
    return Outcome::Ok;
}

Outcome AutoProgramRun::lockAndFuseBits() {
    status(msg::LockBits);
    const LockFuseWrite written = programLockFuse(context_, context_.project.lockFuseSelection);
    if (!written.sessionOpened && written.outcome != Outcome::Ok)
        context_.ui.showInfo(context_.messages.text(msg::ErrorProgrammingLockBits));
    return written.outcome;
}

Outcome AutoProgramRun::finish(Outcome lockAndFuse) {
    OperationState& state = context_.state;
    const Messages& messages = context_.messages;
    if (!acted_) {
        status(msg::NoActionsAutoprogram);
        return lockAndFuse != Outcome::Ok ? lockAndFuse : Outcome::Failed;
    }
    if (!state.flashVerified || !state.eepromVerified) {
        status(msg::AutoprogramVerificationFailed);
        return lockAndFuse != Outcome::Ok ? lockAndFuse : Outcome::VerifyMismatch;
    }
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
    return lockAndFuse;
}

} // namespace

Outcome autoProgram(ChipContext& context) { return AutoProgramRun(context).run(); }

Outcome runUnattendedAutoProgram(ChipContext& context) {
    context.state.autoProgramOk = false;
    const Outcome outcome = autoProgram(context);
    const bool ok = context.state.autoProgramOk;
    context.ui.showPlain(context.messages.text(ok ? msg::AutoprogramOk : msg::AutoprogramErrorSummary));
    return outcome;
}

} // namespace tovel
