#include "ops/memory_verifying.h"

#include "ops/chip_context.h"
#include "ops/operation_frame.h"
#include "ops/transfer_jobs.h"
#include "ops/verify_worker.h"

namespace tovel {

namespace {

struct VerifyingTexts {
    unsigned status;
    unsigned noFile;
    unsigned ok;
    unsigned mismatch;
    unsigned cancelled;
    unsigned failed;
};

constexpr VerifyingTexts kFlashTexts{
    msg::VerifyingFlash,         msg::NoFlashFileSelected,        msg::FlashVerifyOKBytesVerified,
    msg::FlashVerifyErrorAtByte, msg::FlashVerificationCancelled, msg::ConnectionErrorWhileVerifyingFlash};
constexpr VerifyingTexts kEepromTexts{
    msg::VerifyingEeprom,         msg::NoEepromFileSelected,        msg::EepromVerifyOKBytesVerified,
    msg::EepromVerifyErrorAtByte, msg::EepromVerificationCancelled, msg::ConnectionErrorWhileVerifyingEeprom};

Outcome verifyMemory(ChipContext& context, MemoryKind memory) {
    const bool flash = memory == MemoryKind::Flash;
    const VerifyingTexts& texts = flash ? kFlashTexts : kEepromTexts;
    const Messages& messages = context.messages;
    MemoryBuffer& buffer = flash ? context.flash : context.eeprom;
    bool& verified = flash ? context.state.flashVerified : context.state.eepromVerified;
    verified = false;

    // Checks that need no board come before the busy cursor.
    const DeviceRecord& device = DeviceTable::device(projectDeviceIndex(context.project));
    unsigned refusal = 0;
    Outcome refused = Outcome::Failed;
    if (buffer.size() == 0) {
        refusal = texts.noFile;
        refused = Outcome::File;
    } else if (!flash && chipMemorySize(device, memory) == 0) {
        refusal = msg::DeviceDoesntHaveEeprom;
    }
    if (refusal != 0) {
        context.ui.setStatus(messages.text(texts.status));
        context.ui.setStatus(messages.text(refusal));
        return refused;
    }

    OperationFrame frame(context, texts.status);
    if (!frame.beginAtLinkSpeed()) return frame.notConnected();
    context.state.firstMismatch = -1;
    const std::size_t count = transferCount(buffer.size(), frame.device(), memory);
    VerifyWorker worker(messages, context.session.channel(), context.clock,
                        readingJob(context, frame.device(), memory, count), buffer.data(),
                        buffer.attributes());
    const Outcome result = runOnBuffer(context, buffer, worker);
    context.state.firstMismatch = worker.firstMismatch();
    Outcome outcome = Outcome::Ok;
    if (result == Outcome::Ok && worker.allEqual()) {
        // Every one of the `count` bytes was read back and compared equal.
        context.ui.setStatus(messages.format(texts.ok, static_cast<int>(count)));
        verified = true;
    } else if (result == Outcome::Ok) {
        const int address = static_cast<int>(worker.firstMismatch());
        context.ui.setStatus(messages.format(texts.mismatch, address, static_cast<unsigned>(address)));
        outcome = Outcome::VerifyMismatch;
    } else if (worker.cancelRequested()) {
        context.ui.setStatus(messages.text(texts.cancelled));
        outcome = Outcome::Cancelled;
    } else {
        // The status and the box name the connection, whatever the worker noted.
        context.ui.setStatus(messages.text(texts.failed));
        context.ui.showInfo(messages.text(texts.failed));
        outcome = Outcome::Connection;
    }
    context.repaint(buffer);
    frame.disconnect();
    context.repaint(buffer);
    return frame.judged(outcome);
}

} // namespace

Outcome verifyFlash(ChipContext& context) {
    return context.state.keep(verifyMemory(context, MemoryKind::Flash));
}

Outcome verifyEeprom(ChipContext& context) {
    return context.state.keep(verifyMemory(context, MemoryKind::Eeprom));
}

} // namespace tovel
