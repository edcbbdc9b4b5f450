#include "ops/memory_programming.h"

#include "ops/chip_context.h"
#include "ops/operation_frame.h"
#include "ops/serial_counter.h"
#include "ops/signature_gate.h"
#include "ops/transfer_jobs.h"

namespace tovel {

namespace {

struct ProgrammingTexts {
    unsigned status;
    unsigned nothingToProgram;
    unsigned done;
    unsigned cancelled;
    unsigned failedStatus;
    unsigned failedBox;
};

constexpr ProgrammingTexts kFlashTexts{
    msg::ProgrammingFlash,     msg::FlashNothingToProgram, msg::FlashProgramDoneBytesProgrammed,
    msg::ProgrammingCancelled, msg::FlashProgramError,     msg::ErrorProgrammingFlash};
constexpr ProgrammingTexts kEepromTexts{
    msg::ProgrammingEeprom,      msg::EepromNothingToProgram, msg::EepromProgramDoneBytesProgrammed,
    msg::EepromProgramCancelled, msg::ErrorProgrammingEeprom, msg::ErrorProgrammingEeprom};

// Runs the worker and reports. `written` false when nothing was handed to the chip because the
// person declined to write only the part of the image that fits.
Outcome writeBuffer(ChipContext& context, const OperationFrame& frame, MemoryBuffer& buffer,
                    MemoryKind memory, const ProgrammingTexts& texts, bool& written) {
    const Messages& messages = context.messages;
    const DeviceRecord& device = frame.device();
    context.state.programmedBytes = 0;
    written = false;
    buffer.setAllAttributes(ByteAttribute::NotConfirmed);
    const std::size_t limit = memoryLimit(device, memory);
    if (buffer.size() > limit && !confirmOnlyFirstBytes(context, limit, memory)) {
        // Nothing was written: that is not "Done".
        context.ui.setStatus(messages.text(texts.cancelled));
        return Outcome::Cancelled;
    }
    written = true;

    const std::size_t count = transferCount(buffer.size(), device, memory);
    ProgrammingWorker worker(messages, context.session.channel(), context.clock,
                             programmingJob(context, device, memory, count), buffer.data(),
                             buffer.attributes());
    if (context.project.writeChangedOnly) worker.writeOnlyChanges(readingJob(context, device, memory, count));
    const Outcome result = runOnBuffer(context, buffer, worker);
    if (result == Outcome::Ok) {
        // The worker ends Ok only after every one of the `count` bytes was acknowledged.
        context.state.programmedBytes = count;
        context.ui.setStatus(messages.format(texts.done, static_cast<int>(count)));
        return Outcome::Ok;
    }
    if (worker.cancelRequested()) {
        context.ui.setStatus(messages.text(texts.cancelled));
        return Outcome::Cancelled;
    }
    if (result == Outcome::PollingFailed) {
        context.ui.setStatus(messages.text(msg::ErrorDuringPolling));
        context.ui.showInfo(messages.text(msg::ErrorDuringPolling));
        return failureOf(worker, Outcome::PollingFailed);
    }
    context.ui.setStatus(messages.text(texts.failedStatus));
    context.ui.showInfo(messages.text(texts.failedBox));
    return failureOf(worker, Outcome::Failed);
}

Outcome programMemory(ChipContext& context, MemoryKind memory) {
    const bool flash = memory == MemoryKind::Flash;
    const ProgrammingTexts& texts = flash ? kFlashTexts : kEepromTexts;
    OperationFrame frame(context, texts.status);
    MemoryBuffer& buffer = flash ? context.flash : context.eeprom;
    // Zero bytes written is not "Done": the operation status stays failed and no board is touched.
    if (!buffer.hasData()) {
        context.ui.setStatus(context.messages.text(texts.nothingToProgram));
        return Outcome::Failed;
    }
    if (!frame.beginAtLinkSpeed()) return frame.notConnected();
    if (flash) {
        if (const Outcome gate = runSignatureGate(context, frame); gate != Outcome::Ok) return gate;
    }

    bool written = false;
    const Outcome outcome = frame.judged(writeBuffer(context, frame, buffer, memory, texts, written));
    context.repaint(buffer);
    frame.disconnect();
    context.repaint(buffer);

    // The counter moves on also after a failed or cancelled run (that chip may hold the number);
    // not when nothing at all was written.
    const bool counterOn = flash ? context.project.autoIncrementFlash : context.project.autoIncrementEeprom;
    const std::uint32_t address =
        flash ? context.project.autoIncAddressFlash : context.project.autoIncAddressEeprom;
    if (written && counterOn && incrementSerialCounter(buffer, address)) context.repaint(buffer);
    return outcome;
}

} // namespace

Outcome programFlash(ChipContext& context) {
    return context.state.keep(programMemory(context, MemoryKind::Flash));
}

Outcome programEeprom(ChipContext& context) {
    return context.state.keep(programMemory(context, MemoryKind::Eeprom));
}

} // namespace tovel
