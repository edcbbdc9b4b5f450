// A target chip as the board sees it: one control line (the AVR reset, the AT89 reset or the
// chip select of a serial memory) and the SPI data exchange, one byte at a time. Each chip
// decodes the instructions by their bit patterns as its data sheet defines them.
#pragma once

#include <cstdint>

#include "sim/chip_memories.h"

namespace tovel::sim {

// The board's drive of the control line. Released lets each chip fall to its own inactive
// state (AVR running, AT89 running, serial memory deselected).
enum class LineLevel { Released, Low, High };

class Chip {
public:
    virtual ~Chip() = default;

    virtual void setLine(LineLevel level) = 0;
    // One SPI byte: `mosi` goes in, the returned byte is what the chip drove out meanwhile.
    virtual std::uint8_t exchange(std::uint8_t mosi) = 0;

    ChipMemories memories() const { return memories_; }
    // Copies what fits the chip's sizes; unimplemented fuse and lock bits stay 1.
    virtual void setMemories(const ChipMemories& memories);
    virtual void lockFully() = 0; // read and write protection, as the strongest lock level
    void setStayLocked(bool stay) { stayLocked_ = stay; }

    // Microseconds of write/erase work started since the last call (timing model).
    std::uint64_t takeWorkUs();
    // True when a memory changed since the last call.
    bool takeChanged();

protected:
    void addWork(std::uint64_t us) { workUs_ += us; }
    void markChanged() { changed_ = true; }
    virtual void normaliseBits() {}

    ChipMemories memories_;
    bool stayLocked_ = false;

private:
    std::uint64_t workUs_ = 0;
    bool changed_ = false;
};

// No chip at all: nothing drives MISO, the pull-up reads 0xFF.
class EmptySocket final : public Chip {
public:
    void setLine(LineLevel) override {}
    std::uint8_t exchange(std::uint8_t) override { return 0xFF; }
    void lockFully() override {}
};

} // namespace tovel::sim
