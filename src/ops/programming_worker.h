// The programming worker: hands the first `count` bytes of a Flash or EEPROM image to the chip
// over the board, on the path the device takes (AVR pages or bytes, AT89S bytes, AT25 pages,
// AT45 pages through buffer 1), marks each byte handed over as programmed, reports progress and
// stops between units when Cancel was pressed.
//
// Result codes (transfer_result.h): 0 done, 1 cancelled, 100 the board's polling failed, -1 any
// other failure. The first failed send or missing reply ends the run; nothing is retried.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "devices/device_table.h"
#include "ops/chip_transfer_runner.h"
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

class ProgrammingWorker final : public ChipTransferRunner {
public:
    // `attributes` has the size of `data`; the worker sets those of the bytes it hands over to 2.
    ProgrammingWorker(const Messages& messages, SerialChannel& channel, Clock& clock,
                      const ProgrammingJob& job, std::span<const std::uint8_t> data,
                      std::span<std::uint8_t> attributes);

protected:
    int run() override;

private:
    int avrPages();
    int avrBytes();
    int at89Bytes();
    int at25Pages();
    int dataFlashPages();
    // Sends the extended-address instruction when the page at `offset` lies in another 128 KiB
    // segment than the chip's extended address points to.
    bool selectSegment(std::size_t offset);
    void markProgrammed(std::size_t offset, std::size_t length);
    unsigned textId() const;

    ProgrammingJob job_;
    std::span<const std::uint8_t> data_;
    std::span<std::uint8_t> attributes_;
    unsigned segment_ = 0; // the chip's extended address byte (0 after programming enable)
};

} // namespace tovel
