// An AT45 DataFlash: instructions framed by chip select (low = selected), a 24-bit address of
// page number and byte offset (page << (8 + shift)), two SRAM buffers of one page. Writes go
// through a buffer; programming and erasing start when chip select rises.
#pragma once

#include <array>
#include <vector>

#include "sim/chip.h"
#include "sim/chip_geometry.h"
#include "sim/chip_profiles.h"

namespace tovel::sim {

class At45Chip final : public Chip {
public:
    At45Chip(const ChipProfile& profile, const ChipGeometry& geometry);

    void setLine(LineLevel level) override;
    std::uint8_t exchange(std::uint8_t mosi) override;
    void lockFully() override {}

    std::uint8_t status() const;
    std::size_t pageCount() const { return pageCount_; }

private:
    void normaliseBits() override;
    void startInstruction();
    void endFrame();
    std::size_t pageOf(std::uint32_t address) const;
    std::size_t offsetOf(std::uint32_t address) const;
    std::vector<std::uint8_t>& buffer(int index) { return buffers_[static_cast<std::size_t>(index)]; }
    void programPage(std::size_t page, const std::vector<std::uint8_t>& from, bool erase);

    enum class Phase { Opcode, Address, Dummy, Data, Ignore };

    const ChipProfile& profile_;
    ChipGeometry geometry_;
    std::size_t pageSize_;
    std::size_t pageCount_;
    bool selected_ = false;
    Phase phase_ = Phase::Opcode;
    std::uint8_t opcode_ = 0;
    unsigned addressBytes_ = 0;
    unsigned dummyBytes_ = 0;
    std::uint32_t address_ = 0;
    std::size_t cursorPage_ = 0; // read/write position: page and byte
    std::size_t cursorOffset_ = 0;
    bool compareMismatch_ = false;
    std::array<std::vector<std::uint8_t>, 2> buffers_;
};

} // namespace tovel::sim
