// An AT89S microcontroller in serial programming mode: reset held high. The AT89S8252 and
// AT89S53 take 3-byte instructions (the answer comes during the third byte); the AT89S51/52,
// AT89S2051/4051 and AT89S8253 take 4-byte instructions. Flash bytes can only clear bits until
// a chip erase; data EEPROM writes replace.
#pragma once

#include "sim/chip.h"
#include "sim/chip_geometry.h"
#include "sim/chip_profiles.h"

namespace tovel::sim {

class At89Chip final : public Chip {
public:
    At89Chip(const ChipProfile& profile, const ChipGeometry& geometry);

    void setLine(LineLevel level) override;
    std::uint8_t exchange(std::uint8_t mosi) override;
    void lockFully() override;

private:
    void normaliseBits() override;
    unsigned frameLength() const { return profile_.kind == ChipKind::At89ThreeByte ? 3 : 4; }
    std::uint8_t lastByteOutput() const;
    void execute();
    void executeThreeByte();
    void executeFourByte();

    // Lock bits in the chip's own format: bit 0 LB1, bit 1 LB2, bit 2 LB3, 1 = unprogrammed.
    bool writeProtected() const { return (memories_.lock & 0x01) == 0; }
    bool readProtected() const { return (memories_.lock & 0x02) == 0; }

    std::uint8_t readCode(std::size_t address) const;
    std::uint8_t readData(std::size_t address) const;
    void writeCode(std::size_t address, std::uint8_t value);
    void writeData(std::size_t address, std::uint8_t value);
    void programLockBits(std::uint8_t programmedBits);
    void chipErase();

    // Three-byte decoding: A12..A8 in bits 7..3 of the first byte (A13 in bit 2 on the AT89S53).
    std::size_t threeByteCodeAddress() const;

    const ChipProfile& profile_;
    ChipGeometry geometry_;
    bool inReset_ = false;
    bool enabled_ = false;
    std::uint8_t frame_[4]{};
    unsigned position_ = 0;
    std::uint8_t lastIn_ = 0;
};

} // namespace tovel::sim
