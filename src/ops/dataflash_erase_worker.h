// The AT45 DataFlash erase behind the progress display: one block erase (8 pages) after another,
// each in its own SPI frame. Outcome Ok, Cancelled, or Failed for a reply other than the
// acknowledge.
#pragma once

#include <cstdint>

#include "board/operation_runner.h"
#include "board/serial_channel.h"
#include "core/clock.h"
#include "devices/device_table.h"

namespace tovel {

struct DataFlashGeometry {
    std::uint32_t flashSize = 0;
    std::uint32_t pageSize = 0;  // bytes
    std::uint32_t pageShift = 0; // page-address shift

    static DataFlashGeometry of(const DeviceRecord& device) {
        return {device.flashSize, device.pageSize, device.dataFlashPageShift};
    }
    std::uint32_t pageCount() const { return pageSize == 0 ? 0 : (flashSize + pageSize - 1) / pageSize; }
};

class DataFlashEraseWorker final : public OperationRunner {
public:
    static constexpr std::uint32_t kPagesPerBlock = 8;
    static constexpr std::uint8_t kBlockEraseOpcode = 0x50;
    static constexpr unsigned kEraseSettleMs = 20; // before the frame ends
    static constexpr unsigned kAfterBlockMs = 50;  // after it

    DataFlashEraseWorker(const Messages& messages, SerialChannel& channel, Clock& clock,
                         const DataFlashGeometry& geometry)
        : OperationRunner(messages), channel_(channel), clock_(clock), geometry_(geometry) {}

protected:
    Outcome run() override;

private:
    SerialChannel& channel_;
    Clock& clock_;
    DataFlashGeometry geometry_;
};

} // namespace tovel
