#include "ops/verify_worker.h"

#include <algorithm>

#include "image/byte_attribute.h"

namespace tovel {

namespace {

ReadingJob clampedJob(ReadingJob job, std::size_t size) {
    job.count = std::min(job.count, size);
    return job;
}

constexpr auto kNotConfirmed = static_cast<std::uint8_t>(ByteAttribute::NotConfirmed);
constexpr auto kVerified = static_cast<std::uint8_t>(ByteAttribute::Verified);

} // namespace

VerifyWorker::VerifyWorker(const Messages& messages, SerialChannel& channel, Clock& clock, ReadingJob job,
                           std::span<const std::uint8_t> data, std::span<std::uint8_t> attributes)
    : ChipReadingRunner(messages, channel, clock, clampedJob(job, std::min(data.size(), attributes.size()))),
      data_(data), attributes_(attributes) {}

Outcome VerifyWorker::run() {
    // Bytes past what the chip holds are never confirmed.
    std::fill(attributes_.begin(), attributes_.end(), kNotConfirmed);
    const bool flash = job().memory == MemoryKind::Flash;
    return outcomeOf(readChip(msg::Verify, flash ? msg::VerifyingFlash : msg::VerifyingEepromTitle,
                              msg::VerifyingEepromTitle, msg::VerifyingFlash));
}

bool VerifyWorker::accept(std::size_t offset, const std::uint8_t* bytes, std::size_t count) {
    for (std::size_t j = 0; j < count; ++j) {
        const std::size_t address = offset + j;
        if (bytes[j] == data_[address]) {
            attributes_[address] = kVerified;
            continue;
        }
        attributes_[address] = kNotConfirmed;
        if (allEqual_) firstMismatch_ = static_cast<long>(address);
        allEqual_ = false;
    }
    return true;
}

} // namespace tovel
