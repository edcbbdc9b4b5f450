// The verify worker: reads the chip and compares it with a buffer byte by byte. Equal bytes are
// marked verified, differing bytes and bytes the chip does not hold stay not confirmed; a
// difference never stops the run. Outcome Ok (look at `allEqual`), Cancelled or Failed.
#pragma once

#include <span>

#include "ops/chip_reading_runner.h"

namespace tovel {

class VerifyWorker final : public ChipReadingRunner {
public:
    // Compares the first job.count bytes (at most the data's size); every attribute is reset first.
    VerifyWorker(const Messages& messages, SerialChannel& channel, Clock& clock, ReadingJob job,
                 std::span<const std::uint8_t> data, std::span<std::uint8_t> attributes);

    // After the run.
    bool allEqual() const { return allEqual_; }
    long firstMismatch() const { return firstMismatch_; }

protected:
    Outcome run() override;
    bool accept(std::size_t offset, const std::uint8_t* bytes, std::size_t count) override;

private:
    std::span<const std::uint8_t> data_;
    std::span<std::uint8_t> attributes_;
    bool allEqual_ = true;
    long firstMismatch_ = -1;
};

} // namespace tovel
