#include "ops/memory_reading.h"

#include "ops/chip_context.h"
#include "ops/operation_frame.h"
#include "ops/transfer_jobs.h"

namespace tovel {

namespace {

struct ReadingTexts {
    unsigned status;
    unsigned ok;
    unsigned cancelled;
    unsigned failedBox;
    unsigned failedStatus;
    unsigned lengthLine;
};

constexpr ReadingTexts kFlashTexts{msg::ReadingFlash,      msg::FlashReadOK,    msg::FlashReadCancelled,
                                   msg::ErrorReadingFlash, msg::FlashReadError, msg::FlashLengthChecksum};
constexpr ReadingTexts kEepromTexts{msg::ReadingEeprom,       msg::ReadEepromOK,
                                    msg::ReadEepromCancelled, msg::ErrorReadingEeprom,
                                    msg::ErrorReadingEeprom,  msg::EepromLengthChecksum};

Outcome readMemory(ChipContext& context, MemoryKind memory) {
    const bool flash = memory == MemoryKind::Flash;
    const ReadingTexts& texts = flash ? kFlashTexts : kEepromTexts;
    const Messages& messages = context.messages;
    MemoryBuffer& buffer = flash ? context.flash : context.eeprom;

    OperationFrame frame(context, texts.status, OperationFrame::SetsStatus::No);
    if (!frame.checkPort()) return frame.notConnected();
    const DeviceRecord& device = frame.device();
    if (!buffer.create(chipMemorySize(device, memory))) return Outcome::File; // "Not enough memory"
    if (!frame.connect(context.settings.baudIndex)) return frame.notConnected();

    ReadWorker worker(messages, context.session.channel(), context.clock,
                      readingJob(context, device, memory, buffer.size()), buffer.data(), buffer.attributes());
    const Outcome result = runOnBuffer(context, buffer, worker);
    Outcome outcome = Outcome::Ok;
    if (result == Outcome::Ok) {
        context.ui.setStatus(messages.text(texts.ok));
    } else if (worker.cancelRequested()) {
        context.ui.setStatus(messages.text(texts.cancelled));
        outcome = Outcome::Cancelled;
    } else {
        context.ui.showInfo(messages.text(texts.failedBox));
        context.ui.setStatus(messages.text(texts.failedStatus));
        outcome = failureOf(worker, Outcome::Failed);
    }
    context.repaint(buffer);
    frame.disconnect();
    context.repaint(buffer);
    const int size = static_cast<int>(buffer.size());
    context.ui.setStatus(
        messages.format(texts.lengthLine, size, size, static_cast<unsigned>(buffer.checksum())));
    // What was read came from whatever chip is in the socket, not the AT45 asked for.
    return frame.dataFlashMissing() ? Outcome::WrongChip : outcome;
}

} // namespace

Outcome readFlash(ChipContext& context) { return readMemory(context, MemoryKind::Flash); }

Outcome readEeprom(ChipContext& context) {
    if (chipMemorySize(DeviceTable::device(projectDeviceIndex(context.project)), MemoryKind::Eeprom) == 0) {
        context.ui.setStatus(context.messages.text(msg::ReadingEeprom));
        context.ui.setStatus(context.messages.text(msg::DeviceDoesNotHaveEeprom));
        return Outcome::Failed;
    }
    return readMemory(context, MemoryKind::Eeprom);
}

} // namespace tovel
