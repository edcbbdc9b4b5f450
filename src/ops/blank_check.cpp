#include "ops/blank_check.h"

#include "ops/blank_check_worker.h"
#include "ops/chip_context.h"
#include "ops/operation_frame.h"
#include "ops/transfer_jobs.h"
#include "ops/transfer_result.h"

namespace tovel {

void blankCheck(ChipContext& context) {
    const Messages& messages = context.messages;
    OperationFrame frame(context, msg::CheckingDevice);
    if (!frame.beginAtLinkSpeed()) return;

    const DeviceRecord& device = frame.device();
    BlankCheckWorker worker(messages, context.session.channel(), context.clock,
                            blankCheckJob(device, readDelayCode(context.project, device, MemoryKind::Flash),
                                          chunkReadPauseMs(context.settings.boardDelays)));
    const int result = runWorker(context, worker);
    if (result == transfer_result::Done) {
        context.state.operationStatus = 0;
        context.ui.setStatus(messages.text(msg::BlankCheckFlashBlank));
    } else if (result == transfer_result::PollingErrorOrNotBlank) {
        context.state.operationStatus = 1;
        context.ui.setStatus(messages.text(msg::BlankCheckFlashNotEmpty));
    } else if (worker.cancelRequested()) {
        context.ui.setStatus(messages.text(msg::BlankCheckCancelled));
    } else {
        context.ui.setStatus(messages.text(msg::BlankCheckError));
        context.ui.showInfo(messages.text(msg::ErrorCheckingFlash));
    }
    frame.disconnect();
}

} // namespace tovel
