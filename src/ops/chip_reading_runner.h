// The reading loops the read, verify and blank-check workers share: the first `count` bytes of
// the chip's Flash or EEPROM, on the path the device takes, handed to the worker block by block
// (`accept`). The worker decides what a block means: stored, compared or checked for 0xFF.
#pragma once

#include <cstddef>
#include <cstdint>

#include "devices/device_table.h"
#include "ops/chip_transfer_runner.h"
#include "ops/transfer_settings.h"

namespace tovel {

struct ReadingJob {
    TransferPath path = TransferPath::Avr; // normally transferPathOf(device)
    MemoryKind memory = MemoryKind::Flash;
    DeviceRecord device{};
    std::size_t count = 0;      // bytes to read from address 0
    std::uint8_t delayCode = 0; // SetWaitCode of the AVR path
    unsigned byteDelayMs = 0;   // after each byte of the AT89S byte path
    unsigned chunkPauseMs = 0;  // after each block of the AVR path
    // The AT25 read ends programming mode; a worker that writes after reading keeps it.
    bool leaveAt25AfterRead = true;
};

class ChipReadingRunner : public ChipTransferRunner {
protected:
    // How a read ended.
    enum class ReadEnd {
        Done,      // every byte was read and accepted
        Stopped,   // `accept` asked to stop
        Cancelled, // Cancel was pressed
        Failed,    // a send failed or a reply was missing or wrong
    };

    // The outcome of a worker whose run is the read itself: a read cut short by `accept` did not
    // finish, so it failed.
    static Outcome outcomeOf(ReadEnd end) {
        if (end == ReadEnd::Done) return Outcome::Ok;
        return end == ReadEnd::Cancelled ? Outcome::Cancelled : Outcome::Failed;
    }

    ChipReadingRunner(const Messages& messages, SerialChannel& channel, Clock& clock, const ReadingJob& job)
        : ChipTransferRunner(messages, channel, clock), job_(job) {}

    // Starts the progress display with `titleId` and the text the path calls for (`textId` on
    // the AVR and AT89S paths; the AT25 and AT45 paths name their own memory), then reads.
    // A failure on the AVR and AT89S paths notes the "Connection error" box.
    ReadEnd readChip(unsigned titleId, unsigned textId, unsigned at25TextId, unsigned dataFlashTextId);

    // Reads as `readChip` does, on a progress display the caller has started: read unit k is
    // reported as `firstUnit + k`. The AT25 path leaves programming mode only when the job
    // says so.
    ReadEnd readWithinDisplay(long firstUnit);
    // The progress units a read of the job takes.
    long readUnits() const;

    // `count` bytes read from `offset`. False stops the run.
    virtual bool accept(std::size_t offset, const std::uint8_t* bytes, std::size_t count) = 0;

    const ReadingJob& job() const { return job_; }
    void setReadingJob(const ReadingJob& job) { job_ = job; }

private:
    ReadEnd readPath();
    void unitRead(long k) { setProgress(firstUnit_ + k); }

    ReadEnd readAvr();
    ReadEnd readAt89();
    ReadEnd readAt25();
    ReadEnd readDataFlash();
    bool selectSegment(std::size_t offset);

    ReadingJob job_;
    unsigned segment_ = 0;
    long firstUnit_ = 0;
};

} // namespace tovel
