#include "ops/blank_check_worker.h"

#include <algorithm>

namespace tovel {

namespace {
constexpr std::size_t kChunkBytes = 64;
} // namespace

ReadingJob blankCheckJob(const DeviceRecord& device, std::uint8_t readDelayCode, unsigned chunkPauseMs) {
    ReadingJob job;
    job.memory = MemoryKind::Flash;
    job.device = device;
    job.delayCode = readDelayCode;
    job.chunkPauseMs = chunkPauseMs;
    job.byteDelayMs = 0; // the byte path reads back to back here
    const TransferPath path = transferPathOf(device);
    job.path = path == TransferPath::DataFlash || path == TransferPath::At89Bytes ? path : TransferPath::Avr;
    job.count =
        job.path == TransferPath::Avr ? device.flashSize / kChunkBytes * kChunkBytes : device.flashSize;
    return job;
}

Outcome BlankCheckWorker::run() {
    switch (readChip(msg::BlankCheck, msg::CheckingFlash, msg::CheckingFlash, msg::CheckingFlash)) {
    case ReadEnd::Done:
        return Outcome::Ok;
    case ReadEnd::Stopped:
        return Outcome::NotBlank;
    case ReadEnd::Cancelled:
        return Outcome::Cancelled;
    case ReadEnd::Failed:
        break;
    }
    return Outcome::Failed;
}

bool BlankCheckWorker::accept(std::size_t, const std::uint8_t* bytes, std::size_t count) {
    return std::all_of(bytes, bytes + count, [](std::uint8_t b) { return b == 0xFF; });
}

} // namespace tovel
