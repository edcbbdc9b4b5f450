#include "sim/at89_chip.h"

#include <algorithm>

namespace tovel::sim {

At89Chip::At89Chip(const ChipProfile& profile, const ChipGeometry& geometry)
    : profile_(profile), geometry_(geometry) {
    memories_.flash.assign(geometry.flashBytes, 0xFF);
    memories_.eeprom.assign(geometry.eepromBytes, 0xFF);
    normaliseBits();
}

void At89Chip::normaliseBits() {
    memories_.fuses = {0xFF, 0xFF, 0xFF};
    memories_.calibration = {0xFF, 0xFF, 0xFF, 0xFF};
    memories_.lock = static_cast<std::uint8_t>(memories_.lock | ~profile_.lockMask);
}

void At89Chip::setLine(LineLevel level) {
    const bool reset = level == LineLevel::High;
    if (reset && !inReset_) {
        position_ = 0;
        enabled_ = false;
    }
    if (!reset) enabled_ = false;
    inReset_ = reset;
}

void At89Chip::lockFully() {
    memories_.lock = static_cast<std::uint8_t>(memories_.lock & ~0x07);
    markChanged();
}

std::uint8_t At89Chip::exchange(std::uint8_t mosi) {
    if (!inReset_) return 0xFF;
    const unsigned last = frameLength() - 1;
    std::uint8_t out;
    if (position_ == 0)
        out = lastIn_;
    else if (position_ < last)
        out = frame_[position_ - 1];
    else
        out = lastByteOutput();
    frame_[position_++] = mosi;
    lastIn_ = mosi;
    if (position_ == frameLength()) {
        position_ = 0;
        execute();
    }
    return out;
}

std::size_t At89Chip::threeByteCodeAddress() const {
    std::size_t address = (static_cast<std::size_t>(frame_[0] >> 3) << 8) | frame_[1];
    if (geometry_.flashBytes > 0x2000) address |= static_cast<std::size_t>((frame_[0] >> 2) & 1) << 13;
    return address;
}

std::uint8_t At89Chip::readCode(std::size_t address) const {
    if (address >= memories_.flash.size()) return 0xFF;
    return readProtected() ? static_cast<std::uint8_t>(address) : memories_.flash[address];
}

std::uint8_t At89Chip::readData(std::size_t address) const {
    if (address >= memories_.eeprom.size()) return 0xFF;
    return readProtected() ? static_cast<std::uint8_t>(address) : memories_.eeprom[address];
}

std::uint8_t At89Chip::lastByteOutput() const {
    const std::uint8_t op = frame_[0];
    if (profile_.kind == ChipKind::At89ThreeByte) {
        if (!enabled_ || op == 0xAC) return frame_[1];
        switch (op & 0x07) {
        case 0x01:
            return readCode(threeByteCodeAddress());
        case 0x05:
            if (geometry_.eepromBytes == 0) return readCode(threeByteCodeAddress());
            return readData((static_cast<std::size_t>((op >> 3) & 0x07) << 8) | frame_[1]);
        default:
            return frame_[1];
        }
    }
    const std::uint8_t b2 = frame_[1];
    const std::uint8_t b3 = frame_[2];
    if (op == 0xAC && b2 == 0x53) return 0x69; // Programming Enable answers 0x69 in sync
    if (!enabled_) return b3;
    const std::size_t address = (static_cast<std::size_t>(b2) << 8) | b3;
    switch (op) {
    case 0x20:
        return readCode(address);
    case 0xA0:
        return readData(address);
    case 0x24: {
        // Lock bits read back as 1 when programmed: LB1 bit 2, LB2 bit 3, LB3 bit 4.
        const std::uint8_t programmed = static_cast<std::uint8_t>(~memories_.lock & 0x07);
        return static_cast<std::uint8_t>(programmed << 2);
    }
    case 0x28: {
        const unsigned index = profile_.at89SignatureInByte3 ? static_cast<unsigned>(b3 - 0x30) : b2;
        return index < 3 ? geometry_.signature[index] : 0xFF;
    }
    default:
        return b3;
    }
}

void At89Chip::execute() {
    if (profile_.kind == ChipKind::At89ThreeByte)
        executeThreeByte();
    else
        executeFourByte();
}

void At89Chip::executeThreeByte() {
    const std::uint8_t op = frame_[0];
    const std::uint8_t b2 = frame_[1];
    const std::uint8_t b3 = frame_[2];
    if (!enabled_) {
        if (op == 0xAC && b2 == 0x53) enabled_ = true;
        return;
    }
    if (op == 0xAC) {
        if (b2 == 0x53) return;
        if ((b2 & 0x07) == 0x04)
            chipErase();
        else if ((b2 & 0x07) == 0x07) {
            // Write Lock Bits: LB1, LB2, LB3 in bits 7, 6, 5; a 0 programs the bit.
            std::uint8_t programmed = 0;
            if ((b2 & 0x80) == 0) programmed |= 0x01;
            if ((b2 & 0x40) == 0) programmed |= 0x02;
            if ((b2 & 0x20) == 0) programmed |= 0x04;
            programLockBits(programmed);
        }
        return;
    }
    switch (op & 0x07) {
    case 0x02:
        writeCode(threeByteCodeAddress(), b3);
        return;
    case 0x06:
        if (geometry_.eepromBytes == 0)
            writeCode(threeByteCodeAddress(), b3);
        else
            writeData((static_cast<std::size_t>((op >> 3) & 0x07) << 8) | b2, b3);
        return;
    default:
        return;
    }
}

void At89Chip::executeFourByte() {
    const std::uint8_t op = frame_[0];
    const std::uint8_t b2 = frame_[1];
    const std::uint8_t b3 = frame_[2];
    const std::uint8_t b4 = frame_[3];
    if (!enabled_) {
        if (op == 0xAC && b2 == 0x53) enabled_ = true;
        return;
    }
    const std::size_t address = (static_cast<std::size_t>(b2) << 8) | b3;
    switch (op) {
    case 0x40:
        writeCode(address, b4);
        return;
    case 0xC0:
        writeData(address, b4);
        return;
    case 0xAC:
        if ((b2 & 0xE0) == 0x80)
            chipErase();
        else if ((b2 & 0xFC) == 0xE0) {
            // Write Lock Bits 1110 00B1B2: mode 01 programs LB1, 10 LB2, 11 LB3.
            static constexpr std::uint8_t kModeBit[4] = {0x00, 0x01, 0x02, 0x04};
            programLockBits(kModeBit[b2 & 0x03]);
        }
        return;
    default:
        return;
    }
}

void At89Chip::writeCode(std::size_t address, std::uint8_t value) {
    if (address >= memories_.flash.size() || writeProtected()) return;
    memories_.flash[address] = static_cast<std::uint8_t>(memories_.flash[address] & value);
    addWork(profile_.flashWriteUs);
    markChanged();
}

void At89Chip::writeData(std::size_t address, std::uint8_t value) {
    if (address >= memories_.eeprom.size() || writeProtected()) return;
    memories_.eeprom[address] = value;
    addWork(profile_.eepromWriteUs);
    markChanged();
}

void At89Chip::programLockBits(std::uint8_t programmedBits) {
    if (programmedBits == 0) return;
    memories_.lock = static_cast<std::uint8_t>(memories_.lock & ~programmedBits);
    addWork(profile_.flashWriteUs);
    markChanged();
}

void At89Chip::chipErase() {
    std::fill(memories_.flash.begin(), memories_.flash.end(), 0xFF);
    std::fill(memories_.eeprom.begin(), memories_.eeprom.end(), 0xFF);
    if (!stayLocked_) memories_.lock = 0xFF;
    addWork(profile_.eraseUs);
    markChanged();
}

} // namespace tovel::sim
