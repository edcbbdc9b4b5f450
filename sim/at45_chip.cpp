#include "sim/at45_chip.h"

#include <algorithm>

namespace tovel::sim {

namespace {

// How many address and don't-care bytes follow each opcode the chip knows.
struct OpcodeShape {
    unsigned addressBytes;
    unsigned dummyBytes;
};

bool shapeOf(std::uint8_t opcode, OpcodeShape& shape) {
    switch (opcode) {
    case 0xE8:
    case 0x68:
    case 0xD2:
    case 0x52:
        shape = {3, 4};
        return true; // array and page reads
    case 0x0B:
        shape = {3, 1};
        return true; // fast array read
    case 0x03:
        shape = {3, 0};
        return true; // low-frequency array read
    case 0xD4:
    case 0x54:
    case 0xD6:
    case 0x56:
        shape = {3, 1};
        return true; // buffer 1/2 read
    case 0xD1:
    case 0xD3: // buffer 1/2 read, low frequency
    case 0x84:
    case 0x87: // buffer 1/2 write
    case 0x83:
    case 0x86:
    case 0x88:
    case 0x89: // buffer to page
    case 0x82:
    case 0x85: // page program through buffer
    case 0x81:
    case 0x50: // page and block erase
    case 0x53:
    case 0x55:
    case 0x60:
    case 0x61: // page to buffer, compare
        shape = {3, 0};
        return true;
    case 0x57:
    case 0xD7:
        shape = {0, 0};
        return true; // status
    default:
        return false;
    }
}

int bufferOfOpcode(std::uint8_t opcode) {
    switch (opcode) {
    case 0x87:
    case 0x86:
    case 0x89:
    case 0x85:
    case 0x55:
    case 0x61:
    case 0xD6:
    case 0x56:
    case 0xD3:
        return 1;
    default:
        return 0;
    }
}

} // namespace

At45Chip::At45Chip(const ChipProfile& profile, const ChipGeometry& geometry)
    : profile_(profile), geometry_(geometry), pageSize_(geometry.pageBytes == 0 ? 264 : geometry.pageBytes),
      pageCount_(geometry.flashBytes / pageSize_) {
    memories_.flash.assign(pageCount_ * pageSize_, 0xFF);
    for (auto& b : buffers_) b.assign(pageSize_, 0xFF);
    normaliseBits();
}

void At45Chip::normaliseBits() {
    memories_.eeprom.clear();
    memories_.fuses = {0xFF, 0xFF, 0xFF};
    memories_.lock = 0xFF;
    memories_.calibration = {0xFF, 0xFF, 0xFF, 0xFF};
}

std::uint8_t At45Chip::status() const {
    // Bit 7 ready (the model completes every operation at once), bit 6 the last compare,
    // bits 5..2 the density code.
    return static_cast<std::uint8_t>(0x80 | (compareMismatch_ ? 0x40 : 0x00) |
                                     ((profile_.dataFlashDensity & 0x0F) << 2));
}

std::size_t At45Chip::pageOf(std::uint32_t address) const {
    return pageCount_ == 0 ? 0 : (address >> (8 + geometry_.pageAddressShift)) % pageCount_;
}

std::size_t At45Chip::offsetOf(std::uint32_t address) const {
    const std::uint32_t offsetMask = (1u << (8 + geometry_.pageAddressShift)) - 1;
    return (address & offsetMask) % pageSize_;
}

void At45Chip::setLine(LineLevel level) {
    const bool select = level == LineLevel::Low;
    if (select && !selected_) {
        phase_ = Phase::Opcode;
        opcode_ = 0;
        addressBytes_ = 0;
        dummyBytes_ = 0;
        address_ = 0;
    } else if (!select && selected_) {
        endFrame();
    }
    selected_ = select;
}

void At45Chip::programPage(std::size_t page, const std::vector<std::uint8_t>& from, bool erase) {
    auto target = memories_.flash.begin() + static_cast<std::ptrdiff_t>(page * pageSize_);
    for (std::size_t i = 0; i < pageSize_; ++i)
        target[static_cast<std::ptrdiff_t>(i)] =
            erase ? from[i] : static_cast<std::uint8_t>(target[static_cast<std::ptrdiff_t>(i)] & from[i]);
    addWork(profile_.flashWriteUs);
    markChanged();
}

// Programming and erasing start when chip select rises after a complete instruction.
void At45Chip::endFrame() {
    const bool complete = phase_ == Phase::Data;
    if (complete && pageCount_ > 0) {
        const std::size_t page = pageOf(address_);
        switch (opcode_) {
        case 0x83:
        case 0x86:
            programPage(page, buffer(bufferOfOpcode(opcode_)), true);
            break;
        case 0x88:
        case 0x89:
            programPage(page, buffer(bufferOfOpcode(opcode_)), false);
            break;
        case 0x82:
        case 0x85:
            programPage(page, buffer(bufferOfOpcode(opcode_)), true);
            break;
        case 0x81: {
            std::fill_n(memories_.flash.begin() + static_cast<std::ptrdiff_t>(page * pageSize_), pageSize_,
                        0xFF);
            addWork(profile_.flashWriteUs);
            markChanged();
            break;
        }
        case 0x50: {
            const std::size_t first = page / 8 * 8;
            const std::size_t pages = std::min<std::size_t>(8, pageCount_ - first);
            std::fill_n(memories_.flash.begin() + static_cast<std::ptrdiff_t>(first * pageSize_),
                        pages * pageSize_, 0xFF);
            addWork(profile_.eraseUs);
            markChanged();
            break;
        }
        default:
            break;
        }
    }
    phase_ = Phase::Opcode;
}

// Called once the address and don't-care bytes are in.
void At45Chip::startInstruction() {
    phase_ = Phase::Data;
    cursorPage_ = pageOf(address_);
    cursorOffset_ = offsetOf(address_);
    if (pageCount_ == 0) return;
    const auto pageStart = memories_.flash.begin() + static_cast<std::ptrdiff_t>(cursorPage_ * pageSize_);
    switch (opcode_) {
    case 0x53:
    case 0x55:
        std::copy_n(pageStart, pageSize_, buffer(bufferOfOpcode(opcode_)).begin());
        break;
    case 0x60:
    case 0x61:
        compareMismatch_ = !std::equal(pageStart, pageStart + static_cast<std::ptrdiff_t>(pageSize_),
                                       buffer(bufferOfOpcode(opcode_)).begin());
        break;
    default:
        break;
    }
}

std::uint8_t At45Chip::exchange(std::uint8_t mosi) {
    if (!selected_) return 0xFF;
    switch (phase_) {
    case Phase::Opcode: {
        OpcodeShape shape{};
        opcode_ = mosi;
        if (!shapeOf(mosi, shape)) {
            phase_ = Phase::Ignore;
        } else if (shape.addressBytes == 0) {
            phase_ = Phase::Data;
        } else {
            dummyBytes_ = shape.dummyBytes;
            phase_ = Phase::Address;
        }
        return 0xFF;
    }
    case Phase::Address:
        address_ = (address_ << 8) | mosi;
        if (++addressBytes_ == 3) {
            if (dummyBytes_ > 0)
                phase_ = Phase::Dummy;
            else
                startInstruction();
        }
        return 0xFF;
    case Phase::Dummy:
        if (--dummyBytes_ == 0) startInstruction();
        return 0xFF;
    case Phase::Data:
        break;
    case Phase::Ignore:
        return 0xFF;
    }

    switch (opcode_) {
    case 0x57:
    case 0xD7:
        return status();
    case 0xE8:
    case 0x68:
    case 0x0B:
    case 0x03: {
        // Continuous read runs on through the pages and wraps at the end of the array.
        if (pageCount_ == 0) return 0xFF;
        const std::uint8_t value = memories_.flash[cursorPage_ * pageSize_ + cursorOffset_];
        if (++cursorOffset_ == pageSize_) {
            cursorOffset_ = 0;
            cursorPage_ = (cursorPage_ + 1) % pageCount_;
        }
        return value;
    }
    case 0xD2:
    case 0x52: {
        if (pageCount_ == 0) return 0xFF;
        const std::uint8_t value = memories_.flash[cursorPage_ * pageSize_ + cursorOffset_];
        cursorOffset_ = (cursorOffset_ + 1) % pageSize_; // a page read wraps within the page
        return value;
    }
    case 0xD4:
    case 0x54:
    case 0xD6:
    case 0x56:
    case 0xD1:
    case 0xD3: {
        const std::uint8_t value = buffer(bufferOfOpcode(opcode_))[cursorOffset_];
        cursorOffset_ = (cursorOffset_ + 1) % pageSize_;
        return value;
    }
    case 0x84:
    case 0x87:
    case 0x82:
    case 0x85:
        buffer(bufferOfOpcode(opcode_))[cursorOffset_] = mosi;
        cursorOffset_ = (cursorOffset_ + 1) % pageSize_; // buffer writes wrap within the buffer
        return 0xFF;
    default:
        return 0xFF;
    }
}

} // namespace tovel::sim
