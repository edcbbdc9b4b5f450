// An AVR microcontroller in serial programming mode: reset held low, 4-byte instructions.
// Page parts collect Flash bytes in a page buffer that only the page write commits; byte parts
// write each byte. Flash programming can only clear bits (erase first); EEPROM writes replace.
#pragma once

#include <vector>

#include "sim/chip.h"
#include "sim/chip_geometry.h"
#include "sim/chip_profiles.h"

namespace tovel::sim {

class AvrChip final : public Chip {
public:
    AvrChip(const ChipProfile& profile, const ChipGeometry& geometry, bool externalClock);

    void setLine(LineLevel level) override;
    std::uint8_t exchange(std::uint8_t mosi) override;
    void lockFully() override;

    bool programmingEnabled() const { return enabled_; }

private:
    void normaliseBits() override;
    void execute();
    std::uint8_t readOutput() const;
    bool ispLockedOut() const;
    bool fuseProgrammed(FuseBitPosition position) const;
    bool writeProtected() const;
    bool readProtected() const;
    std::uint8_t lb1Bit() const;
    std::uint8_t lb2Bit() const;

    std::size_t flashAddress(std::uint8_t high, std::uint8_t low, bool highByte) const;
    std::size_t eepromAddress(std::uint8_t high, std::uint8_t low) const;
    void writeFuse(unsigned index, std::uint8_t value);
    void writeLock(std::uint8_t value);
    void chipErase();
    void writePage(std::uint8_t high, std::uint8_t low);

    const ChipProfile& profile_;
    ChipGeometry geometry_;
    bool externalClock_;
    bool inReset_ = false;
    bool lockedOut_ = false;
    bool enabled_ = false;
    std::uint8_t frame_[4]{};
    unsigned position_ = 0;
    std::uint8_t lastIn_ = 0;
    std::uint8_t extendedAddress_ = 0;
    std::vector<std::uint8_t> pageBuffer_;
};

} // namespace tovel::sim
