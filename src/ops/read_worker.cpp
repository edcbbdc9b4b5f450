#include "ops/read_worker.h"

#include <algorithm>

#include "image/byte_attribute.h"

namespace tovel {

namespace {

ReadingJob sizedJob(ReadingJob job, std::size_t size) {
    job.count = size;
    return job;
}

} // namespace

ReadWorker::ReadWorker(const Messages& messages, SerialChannel& channel, Clock& clock, ReadingJob job,
                       std::span<std::uint8_t> data, std::span<std::uint8_t> attributes)
    : ChipReadingRunner(messages, channel, clock, sizedJob(job, std::min(data.size(), attributes.size()))),
      data_(data), attributes_(attributes) {}

Outcome ReadWorker::run() {
    const bool flash = job().memory == MemoryKind::Flash;
    return outcomeOf(readChip(msg::Read, flash ? msg::ReadingFlash : msg::ReadingEeprom, msg::ReadingEeprom,
                              msg::ReadingFlash));
}

bool ReadWorker::accept(std::size_t offset, const std::uint8_t* bytes, std::size_t count) {
    std::copy_n(bytes, count, data_.begin() + static_cast<std::ptrdiff_t>(offset));
    std::fill_n(attributes_.begin() + static_cast<std::ptrdiff_t>(offset), count,
                static_cast<std::uint8_t>(ByteAttribute::ReadFromChip));
    return true;
}

} // namespace tovel
