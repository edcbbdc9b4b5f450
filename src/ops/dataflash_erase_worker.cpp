#include "ops/dataflash_erase_worker.h"

#include <array>

#include "board/board_commands.h"

namespace tovel {

Outcome DataFlashEraseWorker::run() {
    const std::uint32_t pages = geometry_.pageCount();
    start(messages().text(msg::Erase), messages().text(msg::ErasingDevice), static_cast<long>(pages));

    // End any frame the session left open.
    if (!board::spiDeselect(channel_)) return Outcome::Failed;
    for (std::uint32_t block = 0; block < pages; block += kPagesPerBlock) {
        if (!board::spiSelect(channel_)) return Outcome::Failed;
        const std::uint32_t address = block << geometry_.pageShift;
        const std::array<std::uint8_t, 4> erase{kBlockEraseOpcode, static_cast<std::uint8_t>(address >> 8),
                                                static_cast<std::uint8_t>(address & 0xFF), 0x00};
        if (!board::spiWriteBlock(channel_, erase.data(), static_cast<std::uint16_t>(erase.size())))
            return Outcome::Failed;
        clock_.sleepMs(kEraseSettleMs);
        if (!board::spiDeselect(channel_)) return Outcome::Failed;
        clock_.sleepMs(kAfterBlockMs);
        if (cancelRequested()) return Outcome::Cancelled;
        setProgress(static_cast<long>(block));
    }
    return Outcome::Ok;
}

} // namespace tovel
