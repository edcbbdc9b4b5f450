#include "sim/at25_chip.h"

#include <algorithm>

namespace tovel::sim {

namespace {
constexpr std::uint8_t kWel = 0x02;
} // namespace

At25Chip::At25Chip(const ChipProfile& profile, const ChipGeometry& geometry)
    : profile_(profile), geometry_(geometry) {
    memories_.eeprom.assign(geometry.eepromBytes, 0xFF);
    if (geometry_.pageBytes == 0) geometry_.pageBytes = 64;
    pageLatch_.assign(geometry_.pageBytes, 0xFF);
    latched_.assign(geometry_.pageBytes, false);
    normaliseBits();
}

void At25Chip::normaliseBits() {
    memories_.fuses = {0xFF, 0xFF, 0xFF};
    memories_.calibration = {0xFF, 0xFF, 0xFF, 0xFF};
    // The block-protect bits are kept in the lock byte: bit 2 BP0, bit 3 BP1 (1 = unprotected).
    memories_.lock = static_cast<std::uint8_t>(memories_.lock | ~0x0C);
    status_ = static_cast<std::uint8_t>((status_ & ~0x0C) | (~memories_.lock & 0x0C));
}

void At25Chip::lockFully() {
    status_ |= 0x0C;
    memories_.lock = static_cast<std::uint8_t>(memories_.lock & ~0x0C);
    markChanged();
}

bool At25Chip::protectedAddress(std::size_t address) const {
    const std::size_t size = memories_.eeprom.size();
    switch ((status_ >> 2) & 0x03) {
    case 1:
        return address >= size - size / 4;
    case 2:
        return address >= size / 2;
    case 3:
        return true;
    default:
        return false;
    }
}

void At25Chip::setLine(LineLevel level) {
    const bool select = level == LineLevel::Low;
    if (select && !selected_) {
        phase_ = Phase::Opcode;
        addressBytes_ = 0;
        address_ = 0;
        statusWritten_ = false;
        std::fill(latched_.begin(), latched_.end(), false);
    } else if (!select && selected_) {
        endFrame();
    }
    selected_ = select;
}

// Chip select rising starts the instruction's write cycle.
void At25Chip::endFrame() {
    if (opcode_ == 0x02 && phase_ == Phase::Data && (status_ & kWel) != 0) {
        bool any = false;
        for (std::size_t i = 0; i < pageLatch_.size(); ++i) {
            if (!latched_[i]) continue;
            const std::size_t address = pageBase_ + i;
            if (address < memories_.eeprom.size() && !protectedAddress(address)) {
                memories_.eeprom[address] = pageLatch_[i];
                any = true;
            }
        }
        if (any) markChanged();
        status_ = static_cast<std::uint8_t>(status_ & ~kWel);
        addWork(profile_.eepromWriteUs);
    } else if (opcode_ == 0x01 && statusWritten_ && (status_ & kWel) != 0) {
        status_ = static_cast<std::uint8_t>((newStatus_ & 0x8C) | (status_ & 0x03));
        status_ = static_cast<std::uint8_t>(status_ & ~kWel);
        memories_.lock = static_cast<std::uint8_t>(0xFF & ~(status_ & 0x0C));
        addWork(profile_.eepromWriteUs);
        markChanged();
    }
    phase_ = Phase::Opcode;
    opcode_ = 0;
}

std::uint8_t At25Chip::exchange(std::uint8_t mosi) {
    if (!selected_) return 0xFF;
    const std::size_t size = memories_.eeprom.size();
    switch (phase_) {
    case Phase::Opcode:
        opcode_ = mosi;
        switch (mosi) {
        case 0x06:
            status_ |= kWel;
            phase_ = Phase::Ignore;
            break;
        case 0x04:
            status_ = static_cast<std::uint8_t>(status_ & ~kWel);
            phase_ = Phase::Ignore;
            break;
        case 0x05: // read status
        case 0x01: // write status
            phase_ = Phase::Data;
            break;
        case 0x02:
        case 0x03:
            phase_ = Phase::Address;
            break;
        default:
            phase_ = Phase::Ignore;
            break;
        }
        return 0xFF;
    case Phase::Address:
        address_ = (address_ << 8) | mosi;
        if (++addressBytes_ == 2) {
            address_ = size == 0 ? 0 : address_ % size;
            pageBase_ = address_ / geometry_.pageBytes * geometry_.pageBytes;
            phase_ = Phase::Data;
        }
        return 0xFF;
    case Phase::Data:
        switch (opcode_) {
        case 0x05:
            return status_;
        case 0x01:
            if (!statusWritten_) {
                newStatus_ = mosi;
                statusWritten_ = true;
            }
            return 0xFF;
        case 0x03: {
            if (size == 0) return 0xFF;
            const std::uint8_t value = memories_.eeprom[address_];
            address_ = (address_ + 1) % size; // sequential reads roll over at the end of memory
            return value;
        }
        case 0x02: {
            // Bytes past the end of the page wrap to its start and overwrite what came before.
            const std::size_t offset = address_ - pageBase_;
            pageLatch_[offset] = mosi;
            latched_[offset] = true;
            address_ = pageBase_ + (offset + 1) % geometry_.pageBytes;
            return 0xFF;
        }
        default:
            return 0xFF;
        }
    case Phase::Ignore:
        return 0xFF;
    }
    return 0xFF;
}

} // namespace tovel::sim
