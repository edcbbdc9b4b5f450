// The read worker: copies the chip's memory into a buffer's bytes, marking each byte received
// as read from the chip. Outcome Ok, Cancelled or Failed (the bytes received before the failure
// stay).
#pragma once

#include <span>

#include "ops/chip_reading_runner.h"

namespace tovel {

class ReadWorker final : public ChipReadingRunner {
public:
    // Reads `data.size()` bytes (job.count is taken from it); `attributes` has the same size.
    ReadWorker(const Messages& messages, SerialChannel& channel, Clock& clock, ReadingJob job,
               std::span<std::uint8_t> data, std::span<std::uint8_t> attributes);

protected:
    Outcome run() override;
    bool accept(std::size_t offset, const std::uint8_t* bytes, std::size_t count) override;

private:
    std::span<std::uint8_t> data_;
    std::span<std::uint8_t> attributes_;
};

} // namespace tovel
