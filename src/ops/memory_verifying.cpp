#include "ops/memory_verifying.h"

#include "ops/chip_context.h"
#include "ops/operation_frame.h"
#include "ops/transfer_jobs.h"
#include "ops/transfer_result.h"
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

void verifyMemory(ChipContext& context, MemoryKind memory) {
    const bool flash = memory == MemoryKind::Flash;
    const VerifyingTexts& texts = flash ? kFlashTexts : kEepromTexts;
    const Messages& messages = context.messages;
    MemoryBuffer& buffer = flash ? context.flash : context.eeprom;
    bool& verified = flash ? context.state.flashVerified : context.state.eepromVerified;
    verified = false;
    context.state.operationStatus = -1;

    // Checks that need no board come before the busy cursor.
    const DeviceRecord& device = DeviceTable::device(projectDeviceIndex(context.project));
    unsigned refusal = 0;
    if (buffer.size() == 0)
        refusal = texts.noFile;
    else if (!flash && chipMemorySize(device, memory) == 0)
        refusal = msg::DeviceDoesntHaveEeprom;
    if (refusal != 0) {
        context.ui.setStatus(messages.text(texts.status));
        context.ui.setStatus(messages.text(refusal));
        return;
    }

    OperationFrame frame(context, texts.status);
    if (!frame.beginAtLinkSpeed()) return;
    context.state.firstMismatch = -1;
    const std::size_t count = transferCount(buffer.size(), frame.device(), memory);
    VerifyWorker worker(messages, context.session.channel(), context.clock,
                        readingJob(context, frame.device(), memory, count), buffer.data(),
                        buffer.attributes());
    const int result = runOnBuffer(context, buffer, worker);
    context.state.firstMismatch = worker.firstMismatch();
    if (result == transfer_result::Done && worker.allEqual()) {
        // Every one of the `count` bytes was read back and compared equal.
        context.ui.setStatus(messages.format(texts.ok, static_cast<int>(count)));
        verified = true;
        context.state.operationStatus = 0;
    } else if (result == transfer_result::Done) {
        const int address = static_cast<int>(worker.firstMismatch());
        context.ui.setStatus(messages.format(texts.mismatch, address, static_cast<unsigned>(address)));
    } else if (worker.cancelRequested()) {
        context.ui.setStatus(messages.text(texts.cancelled));
    } else {
        context.ui.setStatus(messages.text(texts.failed));
        context.ui.showInfo(messages.text(texts.failed));
    }
    context.repaint(buffer);
    frame.disconnect();
    context.repaint(buffer);
}

} // namespace

void verifyFlash(ChipContext& context) { verifyMemory(context, MemoryKind::Flash); }

void verifyEeprom(ChipContext& context) { verifyMemory(context, MemoryKind::Eeprom); }

} // namespace tovel
