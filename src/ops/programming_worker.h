// The programming worker: hands the first `count` bytes of a Flash or EEPROM image to the chip
// over the board, on the path the device takes (AVR pages or bytes, AT89S bytes, AT25 pages,
// AT45 pages through buffer 1), marks each byte handed over as programmed, reports progress and
// stops between units when Cancel was pressed.
//
// With `writeOnlyChanges` the worker first reads what the chip holds and then writes only what
// differs: single bytes of EEPROM on the AVR and AT89S byte paths, whole pages on the AT25 and
// AT45 paths. Bytes the chip already holds count as programmed.
//
// Outcomes: Ok, Cancelled, PollingFailed (the board's polling failed) or Failed. The first failed
// send or missing reply ends the run; nothing is retried.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "devices/device_table.h"
#include "ops/chip_reading_runner.h"
#include "ops/transfer_settings.h"

namespace tovel {

struct ProgrammingJob {
    MemoryKind memory = MemoryKind::Flash;
    DeviceRecord device{};
    std::size_t count = 0;      // bytes to hand over, from address 0 (at most the data's size)
    std::uint8_t delayCode = 0; // SetWaitCode of the AVR path
    unsigned byteDelayMs = 0;   // after each byte of the AT89S byte path
    unsigned pageDelayMs = 0;   // AVR page write (counted from before its reply), AT45 page program
    unsigned chunkPauseMs = 0;  // after each chunk or page of the AVR path
};

// Whether a run on `path` for `memory` can write only what changed. Flash of the AVR and AT89S
// parts is erased before it is programmed, so every byte of it must be written.
bool canWriteOnlyChanges(TransferPath path, MemoryKind memory);

class ProgrammingWorker final : public ChipReadingRunner {
public:
    // `attributes` has the size of `data`; the worker sets those of the bytes it hands over to 2.
    ProgrammingWorker(const Messages& messages, SerialChannel& channel, Clock& clock,
                      const ProgrammingJob& job, std::span<const std::uint8_t> data,
                      std::span<std::uint8_t> attributes);

    // Compare first (see above), reading with `compareRead` (its count is the run's). Ignored
    // where `canWriteOnlyChanges` says no.
    void writeOnlyChanges(const ReadingJob& compareRead);

protected:
    Outcome run() override;
    bool accept(std::size_t offset, const std::uint8_t* bytes, std::size_t count) override;

private:
    Outcome readChipFirst(TransferPath path);
    long writeUnits(TransferPath path) const;
    // Starts the display for the writes, unless the comparing read already started it for both.
    void beginWrites(unsigned textId, long units);
    void unitWritten(long k) { setProgress(firstWriteUnit_ + k); }
    // Whether the chip's bytes in [offset, offset + length) differ from the image (always, when
    // the chip was not read first).
    bool differs(std::size_t offset, std::size_t length) const;
    Outcome writeChangedEeprom(std::size_t offset, std::size_t length);

    Outcome avrPages();
    Outcome avrBytes();
    Outcome at89Bytes();
    Outcome at25Pages();
    Outcome dataFlashPages();
    // Sends the extended-address instruction when the page at `offset` lies in another 128 KiB
    // segment than the chip's extended address points to.
    bool selectSegment(std::size_t offset);
    void markProgrammed(std::size_t offset, std::size_t length);
    unsigned textId() const;

    ProgrammingJob job_;
    std::span<const std::uint8_t> data_;
    std::span<std::uint8_t> attributes_;
    unsigned segment_ = 0; // the chip's extended address byte (0 after programming enable)
    bool compare_ = false;
    std::vector<std::uint8_t> chip_; // what the chip held, when compared first
    long firstWriteUnit_ = 0;
};

} // namespace tovel
