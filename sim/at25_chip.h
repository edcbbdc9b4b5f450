// An AT25 serial EEPROM: instructions framed by chip select (low = selected). A write needs the
// write-enable latch, collects bytes within one page (the address wraps inside the page) and
// programs them when chip select rises; the latch then clears.
#pragma once

#include <vector>

#include "sim/chip.h"
#include "sim/chip_geometry.h"
#include "sim/chip_profiles.h"

namespace tovel::sim {

class At25Chip final : public Chip {
public:
    At25Chip(const ChipProfile& profile, const ChipGeometry& geometry);

    void setLine(LineLevel level) override;
    std::uint8_t exchange(std::uint8_t mosi) override;
    void lockFully() override;

    std::uint8_t status() const { return status_; }

private:
    void normaliseBits() override;
    void endFrame();
    bool protectedAddress(std::size_t address) const;

    enum class Phase { Opcode, Address, Data, Ignore };

    const ChipProfile& profile_;
    ChipGeometry geometry_;
    bool selected_ = false;
    Phase phase_ = Phase::Opcode;
    std::uint8_t opcode_ = 0;
    unsigned addressBytes_ = 0;
    std::size_t address_ = 0;
    std::uint8_t status_ = 0x00; // WPEN bit 7, BP1 bit 3, BP0 bit 2, WEL bit 1, WIP bit 0
    std::vector<std::uint8_t> pageLatch_;
    std::vector<bool> latched_;
    std::size_t pageBase_ = 0;
    bool statusWritten_ = false;
    std::uint8_t newStatus_ = 0;
};

} // namespace tovel::sim
