// The blank-check worker: reads the chip's Flash from address 0 and stops at the first block
// (chunk, byte or DataFlash page) that holds a byte other than 0xFF. Outcome Ok (blank), NotBlank,
// Cancelled or Failed.
#pragma once

#include "ops/chip_reading_runner.h"

namespace tovel {

// The reading job of a blank check of `device`: its whole Flash, read as the board reads Flash
// (the AVR path) unless it is an AT45 or a 4-byte AT89S part. The AVR path looks at whole
// 64-byte chunks only.
ReadingJob blankCheckJob(const DeviceRecord& device, std::uint8_t readDelayCode, unsigned chunkPauseMs);

class BlankCheckWorker final : public ChipReadingRunner {
public:
    BlankCheckWorker(const Messages& messages, SerialChannel& channel, Clock& clock, const ReadingJob& job)
        : ChipReadingRunner(messages, channel, clock, job) {}

protected:
    Outcome run() override;
    bool accept(std::size_t offset, const std::uint8_t* bytes, std::size_t count) override;
};

} // namespace tovel
