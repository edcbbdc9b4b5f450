#include "ops/transfer_jobs.h"

#include "ops/chip_context.h"

namespace tovel {

ProgrammingJob programmingJob(const ChipContext& context, const DeviceRecord& device, MemoryKind memory,
                              std::size_t count) {
    ProgrammingJob job;
    job.memory = memory;
    job.device = device;
    job.count = count;
    job.delayCode = writeDelayCode(context.project, device, memory);
    job.byteDelayMs = writeByteDelayMs(context.project, memory);
    job.pageDelayMs = pageDelayMs(context.project, device, memory);
    job.chunkPauseMs = chunkWritePauseMs(context.settings.boardDelays);
    return job;
}

ReadingJob readingJob(const ChipContext& context, const DeviceRecord& device, MemoryKind memory,
                      std::size_t count) {
    ReadingJob job;
    job.path = transferPathOf(device);
    job.memory = memory;
    job.device = device;
    job.count = count;
    job.delayCode = readDelayCode(context.project, device, memory);
    job.byteDelayMs = readByteDelayMs(context.project, memory);
    job.chunkPauseMs = chunkReadPauseMs(context.settings.boardDelays);
    return job;
}

Outcome runWorker(ChipContext& context, ChipTransferRunner& worker) {
    const Outcome result = context.ui.runModal(worker);
    // A read cut short by a stop request is no connection error.
    if (worker.connectionErrorBox() && !worker.cancelRequested())
        context.ui.showInfo(context.messages.text(msg::ConnectionError));
    return result;
}

Outcome runOnBuffer(ChipContext& context, MemoryBuffer& buffer, ChipTransferRunner& worker) {
    buffer.setPlain(true);
    context.repaint(buffer);
    const Outcome result = context.ui.runModal(worker);
    buffer.setPlain(false);
    context.repaint(buffer);
    // A read cut short by a stop request is no connection error.
    if (worker.connectionErrorBox() && !worker.cancelRequested())
        context.ui.showInfo(context.messages.text(msg::ConnectionError));
    return result;
}

Outcome failureOf(const ChipTransferRunner& worker, Outcome failure) {
    return worker.connectionErrorBox() && !worker.cancelRequested() ? Outcome::Connection : failure;
}

bool confirmOnlyFirstBytes(ChipContext& context, std::size_t limit, MemoryKind memory) {
    Question question;
    question.caption = context.messages.text(msg::BoxCaption);
    // The memory's name is the same word in every language of the catalogue.
    question.text = context.messages.format(msg::OnlyFirstBytesProcessed, static_cast<int>(limit),
                                            memory == MemoryKind::Flash ? "Flash" : "Eeprom");
    question.buttons = Buttons::OkCancel;
    question.defaultAnswer = Answer::Ok;
    question.icon = BoxIcon::Question;
    return context.ui.ask(question) == Answer::Ok;
}

} // namespace tovel
