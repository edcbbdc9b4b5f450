#include "sim/avr_chip.h"

#include <algorithm>

namespace tovel::sim {

namespace {

bool isPowerOfTwo(std::size_t n) { return n != 0 && (n & (n - 1)) == 0; }

std::size_t wrap(std::size_t address, std::size_t size) {
    if (size == 0) return 0;
    // The chip ignores address bits above its size.
    return isPowerOfTwo(size) ? (address & (size - 1)) : (address % size);
}

} // namespace

AvrChip::AvrChip(const ChipProfile& profile, const ChipGeometry& geometry, bool externalClock)
    : profile_(profile), geometry_(geometry), externalClock_(externalClock) {
    memories_.flash.assign(geometry.flashBytes, 0xFF);
    memories_.eeprom.assign(geometry.eepromBytes, 0xFF);
    memories_.fuses = profile.fuseDefaults;
    memories_.lock = 0xFF;
    static constexpr std::uint8_t kFactoryCalibration[4] = {0xA6, 0xAB, 0xAF, 0xB3};
    for (unsigned i = 0; i < 4; ++i)
        memories_.calibration[i] = i < profile.calibrationCount ? kFactoryCalibration[i] : 0xFF;
    pageBuffer_.assign(geometry.pageBytes, 0xFF);
    normaliseBits();
}

void AvrChip::normaliseBits() {
    for (unsigned i = 0; i < 3; ++i) {
        std::uint8_t mask = i < profile_.fuseBytes ? profile_.fuseMask[i] : 0x00;
        memories_.fuses[i] = static_cast<std::uint8_t>(memories_.fuses[i] | ~mask);
    }
    memories_.lock = static_cast<std::uint8_t>(memories_.lock | ~profile_.lockMask);
}

void AvrChip::setLine(LineLevel level) {
    const bool reset = level == LineLevel::Low;
    if (reset && !inReset_) {
        // Entering reset: the programming interface starts afresh and waits for Programming Enable.
        position_ = 0;
        enabled_ = false;
        extendedAddress_ = 0;
        std::fill(pageBuffer_.begin(), pageBuffer_.end(), 0xFF);
        lockedOut_ = ispLockedOut();
    }
    if (!reset) enabled_ = false;
    inReset_ = reset;
}

bool AvrChip::fuseProgrammed(FuseBitPosition position) const {
    return position.exists() && position.byte < profile_.fuseBytes &&
           (memories_.fuses[position.byte] & (1u << position.bit)) == 0;
}

bool AvrChip::ispLockedOut() const {
    if (fuseProgrammed(profile_.rstdisbl) || fuseProgrammed(profile_.dwen)) return true;
    // Without a clock the chip cannot shift its serial interface.
    const std::uint8_t clockMask = profile_.externalClockMask;
    return clockMask != 0 && profile_.fuseBytes > 0 && (memories_.fuses[0] & clockMask) == 0 &&
           !externalClock_;
}

std::uint8_t AvrChip::lb1Bit() const {
    return profile_.generation == AvrGeneration::Classic || profile_.generation == AvrGeneration::Tiny ? 0x02
                                                                                                       : 0x01;
}
std::uint8_t AvrChip::lb2Bit() const { return static_cast<std::uint8_t>(lb1Bit() << 1); }

bool AvrChip::writeProtected() const {
    return (memories_.lock & (lb1Bit() | lb2Bit())) != (lb1Bit() | lb2Bit());
}
bool AvrChip::readProtected() const { return (memories_.lock & lb2Bit()) == 0; }

void AvrChip::lockFully() {
    memories_.lock = static_cast<std::uint8_t>(memories_.lock & ~(lb1Bit() | lb2Bit()));
    markChanged();
}

std::uint8_t AvrChip::exchange(std::uint8_t mosi) {
    // Out of reset, or with the serial interface disabled, nothing drives MISO.
    if (!inReset_ || lockedOut_) return 0xFF;
    std::uint8_t out;
    switch (position_) {
    case 0:
        out = lastIn_;
        break;
    case 1:
        out = frame_[0];
        break;
    case 2:
        out = frame_[1];
        break; // the echo of byte 2 is how a programmer checks its framing
    default:
        out = enabled_ ? readOutput() : frame_[2];
        break;
    }
    frame_[position_++] = mosi;
    lastIn_ = mosi;
    if (position_ == 4) {
        position_ = 0;
        execute();
    }
    return out;
}

std::size_t AvrChip::flashAddress(std::uint8_t high, std::uint8_t low, bool highByte) const {
    std::size_t word = (static_cast<std::size_t>(high) << 8) | low;
    if (geometry_.flashBytes > 0x20000) word |= static_cast<std::size_t>(extendedAddress_) << 16;
    return wrap(word * 2 + (highByte ? 1 : 0), geometry_.flashBytes);
}

std::size_t AvrChip::eepromAddress(std::uint8_t high, std::uint8_t low) const {
    return wrap((static_cast<std::size_t>(high) << 8) | low, geometry_.eepromBytes);
}

// The byte the chip shifts out during the fourth byte, decided by the first three.
std::uint8_t AvrChip::readOutput() const {
    const std::uint8_t op = frame_[0];
    const std::uint8_t b2 = frame_[1];
    const std::uint8_t b3 = frame_[2];
    const AvrGeneration gen = profile_.generation;
    const bool hasFuseReads = gen != AvrGeneration::Classic;
    switch (op) {
    case 0x20:
    case 0x28: {
        if (geometry_.flashBytes == 0) return 0xFF;
        const std::size_t address = flashAddress(b2, b3, op == 0x28);
        // A read-protected chip answers with the low address byte (the signature reads 00 01 02).
        return readProtected() ? static_cast<std::uint8_t>(address) : memories_.flash[address];
    }
    case 0xA0: {
        if (geometry_.eepromBytes == 0) return 0xFF;
        const std::size_t address = eepromAddress(b2, b3);
        return readProtected() ? static_cast<std::uint8_t>(address) : memories_.eeprom[address];
    }
    case 0x30: {
        const unsigned index = b3 & 0x03;
        if (readProtected()) return static_cast<std::uint8_t>(index);
        return index < 3 ? geometry_.signature[index] : 0xFF;
    }
    case 0x38: {
        const unsigned index = b3 & 0x03;
        return index < profile_.calibrationCount ? memories_.calibration[index] : 0xFF;
    }
    case 0x50:
        if (!hasFuseReads || profile_.fuseBytes == 0) return 0xFF;
        if (gen != AvrGeneration::Mega) return memories_.fuses[0];
        if (b2 == 0x00) return memories_.fuses[0];
        if (b2 == 0x08) return profile_.fuseBytes > 2 ? memories_.fuses[2] : 0xFF;
        return 0xFF;
    case 0x58:
        if (!hasFuseReads) return 0xFF;
        if (gen != AvrGeneration::Mega) return memories_.lock;
        if (b2 == 0x00) return memories_.lock;
        if (b2 == 0x08) return profile_.fuseBytes > 1 ? memories_.fuses[1] : 0xFF;
        return 0xFF;
    default:
        return b3; // writes echo the third byte
    }
}

void AvrChip::execute() {
    const std::uint8_t op = frame_[0];
    const std::uint8_t b2 = frame_[1];
    const std::uint8_t b3 = frame_[2];
    const std::uint8_t b4 = frame_[3];
    if (!enabled_) {
        if (op == 0xAC && b2 == 0x53) enabled_ = true;
        return;
    }
    switch (op) {
    case 0x40:
    case 0x48:
        if (geometry_.flashBytes == 0) return;
        if (geometry_.pageBytes != 0) {
            // Load Program Memory Page: only the word offset within the page counts.
            const std::size_t word = ((static_cast<std::size_t>(b2) << 8) | b3) % (geometry_.pageBytes / 2);
            pageBuffer_[word * 2 + (op == 0x48 ? 1 : 0)] = b4;
        } else if (!writeProtected()) {
            std::uint8_t& cell = memories_.flash[flashAddress(b2, b3, op == 0x48)];
            cell = static_cast<std::uint8_t>(cell & b4);
            addWork(profile_.flashWriteUs);
            markChanged();
        }
        return;
    case 0x4C:
        if (geometry_.pageBytes != 0) writePage(b2, b3);
        return;
    case 0x4D:
        if (geometry_.flashBytes > 0x20000) extendedAddress_ = b3;
        return;
    case 0xC0:
        if (geometry_.eepromBytes == 0 || writeProtected()) return;
        memories_.eeprom[eepromAddress(b2, b3)] = b4;
        addWork(profile_.eepromWriteUs);
        markChanged();
        return;
    case 0xAC:
        if (b2 == 0x53) return;
        switch (b2 & 0xE0) {
        case 0x80:
            chipErase();
            return;
        case 0xE0:
            if (profile_.generation == AvrGeneration::Classic || profile_.generation == AvrGeneration::Tiny)
                writeLock(static_cast<std::uint8_t>(b2 | ~0x06));
            else
                writeLock(b4);
            return;
        case 0xA0:
            switch (profile_.generation) {
            case AvrGeneration::Classic:
                return;
            case AvrGeneration::Tiny:
            case AvrGeneration::Mega161:
                writeFuse(0, b4);
                return;
            case AvrGeneration::Mega:
                if ((b2 & 0x0C) == 0x00)
                    writeFuse(0, b4);
                else if ((b2 & 0x0C) == 0x08)
                    writeFuse(1, b4);
                else if ((b2 & 0x0C) == 0x04)
                    writeFuse(2, b4);
                return;
            }
            return;
        default:
            return;
        }
    default:
        return;
    }
}

void AvrChip::writePage(std::uint8_t high, std::uint8_t low) {
    if (!writeProtected()) {
        const std::size_t base = flashAddress(high, low, false) / geometry_.pageBytes * geometry_.pageBytes;
        for (std::size_t i = 0; i < geometry_.pageBytes && base + i < memories_.flash.size(); ++i)
            memories_.flash[base + i] = static_cast<std::uint8_t>(memories_.flash[base + i] & pageBuffer_[i]);
        addWork(profile_.flashWriteUs);
        markChanged();
    }
    std::fill(pageBuffer_.begin(), pageBuffer_.end(), 0xFF);
}

void AvrChip::writeFuse(unsigned index, std::uint8_t value) {
    // Fuses are locked together with the memories.
    if (index >= profile_.fuseBytes || writeProtected()) return;
    std::uint8_t next = static_cast<std::uint8_t>(value | ~profile_.fuseMask[index]);
    if (profile_.spien.exists() && profile_.spien.byte == index) {
        const std::uint8_t spien = static_cast<std::uint8_t>(1u << profile_.spien.bit);
        next = static_cast<std::uint8_t>((next & ~spien) | (memories_.fuses[index] & spien));
    }
    memories_.fuses[index] = next;
    addWork(profile_.fuseWriteUs);
    markChanged();
}

void AvrChip::writeLock(std::uint8_t value) {
    // Lock bits can only be programmed further; chip erase clears them.
    memories_.lock = static_cast<std::uint8_t>(memories_.lock & (value | ~profile_.lockMask));
    addWork(profile_.fuseWriteUs);
    markChanged();
}

void AvrChip::chipErase() {
    std::fill(memories_.flash.begin(), memories_.flash.end(), 0xFF);
    if (!fuseProgrammed(profile_.eesave)) std::fill(memories_.eeprom.begin(), memories_.eeprom.end(), 0xFF);
    if (!stayLocked_) memories_.lock = 0xFF;
    std::fill(pageBuffer_.begin(), pageBuffer_.end(), 0xFF);
    addWork(profile_.eraseUs);
    markChanged();
}

} // namespace tovel::sim
