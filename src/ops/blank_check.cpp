#include "ops/blank_check.h"

#include "ops/blank_check_worker.h"
#include "ops/chip_context.h"
#include "ops/operation_frame.h"
#include "ops/transfer_jobs.h"

namespace tovel {

namespace {

Outcome checkFlash(ChipContext& context, OperationFrame& frame) {
    const Messages& messages = context.messages;
    if (!frame.beginAtLinkSpeed()) return frame.notConnected();

    const DeviceRecord& device = frame.device();
    BlankCheckWorker worker(messages, context.session.channel(), context.clock,
                            blankCheckJob(device, readDelayCode(context.project, device, MemoryKind::Flash),
                                          chunkReadPauseMs(context.settings.boardDelays)));
    const Outcome result = runWorker(context, worker);
    Outcome outcome = result;
    if (result == Outcome::Ok) {
        context.ui.setStatus(messages.text(msg::BlankCheckFlashBlank));
    } else if (result == Outcome::NotBlank) {
        context.ui.setStatus(messages.text(msg::BlankCheckFlashNotEmpty));
    } else if (worker.cancelRequested()) {
        context.ui.setStatus(messages.text(msg::BlankCheckCancelled));
        outcome = Outcome::Cancelled;
    } else {
        context.ui.setStatus(messages.text(msg::BlankCheckError));
        context.ui.showInfo(messages.text(msg::ErrorCheckingFlash));
        outcome = failureOf(worker, Outcome::Failed);
    }
    frame.disconnect();
    return frame.judged(outcome);
}

} // namespace

Outcome blankCheck(ChipContext& context) {
    OperationFrame frame(context, msg::CheckingDevice);
    return context.state.keep(checkFlash(context, frame));
}

} // namespace tovel
