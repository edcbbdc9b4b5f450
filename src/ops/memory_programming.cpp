#include "ops/memory_programming.h"

#include "ops/chip_context.h"
#include "ops/operation_frame.h"
#include "ops/serial_counter.h"
#include "ops/signature_gate.h"
#include "ops/transfer_jobs.h"
#include "ops/transfer_result.h"

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

// Runs the worker and reports. False when nothing was handed to the chip because the person
// declined to write only the part of the image that fits.
bool writeBuffer(ChipContext& context, const OperationFrame& frame, MemoryBuffer& buffer, MemoryKind memory,
                 const ProgrammingTexts& texts) {
    const Messages& messages = context.messages;
    const DeviceRecord& device = frame.device();
    context.state.programmedBytes = 0;
    buffer.setAllAttributes(ByteAttribute::NotConfirmed);
    const std::size_t limit = memoryLimit(device, memory);
    if (buffer.size() > limit && !confirmOnlyFirstBytes(context, limit, memory)) {
        // Nothing was written: that is not "Done".
        context.ui.setStatus(messages.text(texts.cancelled));
        return false;
    }

    const std::size_t count = transferCount(buffer.size(), device, memory);
    ProgrammingWorker worker(messages, context.session.channel(), context.clock,
                             programmingJob(context, device, memory, count), buffer.data(),
                             buffer.attributes());
    if (context.project.writeChangedOnly) worker.writeOnlyChanges(readingJob(context, device, memory, count));
    const int result = runOnBuffer(context, buffer, worker);
    if (result == transfer_result::Done) {
        // The worker ends Done only after every one of the `count` bytes was acknowledged.
        context.state.programmedBytes = count;
        context.ui.setStatus(messages.format(texts.done, static_cast<int>(count)));
        context.state.operationStatus = 0;
    } else if (worker.cancelRequested()) {
        context.ui.setStatus(messages.text(texts.cancelled));
    } else if (result == transfer_result::PollingErrorOrNotBlank) {
        context.ui.setStatus(messages.text(msg::ErrorDuringPolling));
        context.ui.showInfo(messages.text(msg::ErrorDuringPolling));
    } else {
        context.ui.setStatus(messages.text(texts.failedStatus));
        context.ui.showInfo(messages.text(texts.failedBox));
    }
    return true;
}

void programMemory(ChipContext& context, MemoryKind memory) {
    const bool flash = memory == MemoryKind::Flash;
    const ProgrammingTexts& texts = flash ? kFlashTexts : kEepromTexts;
    OperationFrame frame(context, texts.status);
    MemoryBuffer& buffer = flash ? context.flash : context.eeprom;
    // Zero bytes written is not "Done": the operation status stays failed and no board is touched.
    if (!buffer.hasData()) {
        context.ui.setStatus(context.messages.text(texts.nothingToProgram));
        return;
    }
    if (!frame.beginAtLinkSpeed()) return;
    if (flash && runSignatureGate(context, frame) == GateOutcome::Stop) return;

    const bool written = writeBuffer(context, frame, buffer, memory, texts);
    context.repaint(buffer);
    frame.disconnect();
    context.repaint(buffer);

    // The counter moves on also after a failed or cancelled run (that chip may hold the number);
    // not when nothing at all was written.
    const bool counterOn = flash ? context.project.autoIncrementFlash : context.project.autoIncrementEeprom;
    const std::uint32_t address =
        flash ? context.project.autoIncAddressFlash : context.project.autoIncAddressEeprom;
    if (written && counterOn && incrementSerialCounter(buffer, address)) context.repaint(buffer);
}

} // namespace

void programFlash(ChipContext& context) { programMemory(context, MemoryKind::Flash); }

void programEeprom(ChipContext& context) { programMemory(context, MemoryKind::Eeprom); }

} // namespace tovel
