// How the board reaches the chip: the SPI exchange with its timing, and the mapping of the
// Write/Read Flash/EEPROM commands onto each device class's serial instructions.
//
// Device classes (sent by the host with DeviceClass):
//   1, 3     AT89S parts with 3-byte instructions: code write aaaaa A13 1 0 / read ..0 1,
//            data (EEPROM) write 00aaa110 / read 00aaa101; each byte written is waited for.
//   2        AVR page parts: Flash bytes load the page buffer (40/48, no wait; the host sends the
//            page write itself); EEPROM bytes are written with C0 and waited for.
//   0, 4, *  AVR parts written byte by byte: Flash 40/48 and EEPROM C0, each waited for.
// Reads: 20/28 (Flash), A0 (EEPROM) on AVR classes; the 3-byte reads on AT89S classes.
// Above 128 KiB the board loads the extended address (4D 00 ext 00) before Flash loads and
// reads whenever its address pointer crosses into another 128 KiB block.
// The wait after a byte write is the wait code's time, or with polling on until the chip is
// ready; with polling on, EEPROM and AT89S bytes are read back and a mismatch answers 0x1B.
#include <algorithm>

#include "sim/board_commands.h"
#include "sim/board_model_impl.h"

namespace tovel::sim {

void BoardModel::Impl::collectChipWork() {
    const std::uint64_t work = chip->takeWorkUs();
    if (work == 0) return;
    report.chipUs += work;
    chipReadyUs = std::max(chipReadyUs, boardTimeUs) + work;
}

void BoardModel::Impl::waitForChip() {
    if (options.timing.enabled && options.timing.chipTime) boardTimeUs = std::max(boardTimeUs, chipReadyUs);
}

std::uint8_t BoardModel::Impl::spi(std::uint8_t mosi) {
    waitForChip(); // a careful board never talks to a chip that is still busy
    spiNs += 8 * sckPeriodNs(sckCode);
    const std::uint64_t us = spiNs / 1000;
    spiNs %= 1000;
    report.spiUs += us;
    if (options.timing.spiTime) waitUs(us);
    const TargetWiring& wiring = options.wiring;
    if (wiring.unpowered) return 0x00;
    std::uint8_t miso = chip->exchange(mosi);
    collectChipWork();
    if (wiring.misoOpen) return 0xFF;
    if (sckPeriodNs(sckCode) < wiring.minSckPeriodNs) {
        // xorshift32: bits sampled before the slow chip has set them
        garbleState ^= garbleState << 13;
        garbleState ^= garbleState >> 17;
        garbleState ^= garbleState << 5;
        miso ^= static_cast<std::uint8_t>(garbleState | 1u);
    }
    return miso;
}

void BoardModel::Impl::setLine(LineLevel level) {
    line = level;
    if (options.wiring.resetOpen || options.wiring.unpowered) return; // the chip never sees the line
    chip->setLine(level);
    collectChipWork();
}

void BoardModel::Impl::afterByteWrite() {
    if (polling)
        waitForChip();
    else
        waitUs(waitCodeUs(waitCode));
}

void BoardModel::Impl::setExtendedAddress(std::uint32_t byteAddress) {
    const int extended = static_cast<int>((byteAddress >> 17) & 0xFF);
    if (extended == extendedAddress) return;
    for (std::uint8_t b :
         {std::uint8_t{0x4D}, std::uint8_t{0x00}, static_cast<std::uint8_t>(extended), std::uint8_t{0x00}})
        spi(b);
    extendedAddress = extended;
}

std::uint8_t BoardModel::Impl::writeBytes(bool flash, std::span<const std::uint8_t> data,
                                          bool pollingFailure) {
    if (pollingFailure) return command::kPollingError;
    for (std::uint8_t value : data) {
        const std::uint32_t a = address++;
        std::uint8_t check = value;
        bool verify = false;
        if (at89Class()) {
            const std::uint8_t op =
                flash ? static_cast<std::uint8_t>((((a >> 8) & 0x1F) << 3) | (((a >> 13) & 1) << 2) | 0x02)
                      : static_cast<std::uint8_t>((((a >> 8) & 0x07) << 3) | 0x06);
            spi(op);
            spi(static_cast<std::uint8_t>(a));
            spi(value);
            afterByteWrite();
            if (polling) {
                spi(static_cast<std::uint8_t>(op - 1)); // the matching read: ..01 / ..101
                spi(static_cast<std::uint8_t>(a));
                check = spi(0x00);
                verify = true;
            }
        } else if (flash) {
            // A page-buffer load ignores the extended address: the host loads it before its page
            // write, and the pointer may lag behind the page after skipped blank pages.
            if (deviceClass != 2) setExtendedAddress(a);
            spi((a & 1) != 0 ? 0x48 : 0x40);
            spi(static_cast<std::uint8_t>(a >> 9));
            spi(static_cast<std::uint8_t>(a >> 1));
            spi(value);
            if (deviceClass != 2) afterByteWrite();
        } else {
            spi(0xC0);
            spi(static_cast<std::uint8_t>(a >> 8));
            spi(static_cast<std::uint8_t>(a));
            spi(value);
            afterByteWrite();
            if (polling) {
                spi(0xA0);
                spi(static_cast<std::uint8_t>(a >> 8));
                spi(static_cast<std::uint8_t>(a));
                check = spi(0x00);
                verify = true;
            }
        }
        if (verify && check != value) return command::kPollingError;
    }
    return command::kAck;
}

std::vector<std::uint8_t> BoardModel::Impl::readBytes(bool flash, std::size_t count) {
    std::vector<std::uint8_t> reply;
    reply.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t a = address++;
        if (at89Class()) {
            spi(flash ? static_cast<std::uint8_t>((((a >> 8) & 0x1F) << 3) | (((a >> 13) & 1) << 2) | 0x01)
                      : static_cast<std::uint8_t>((((a >> 8) & 0x07) << 3) | 0x05));
            spi(static_cast<std::uint8_t>(a));
            reply.push_back(spi(0x00));
        } else if (flash) {
            setExtendedAddress(a);
            spi((a & 1) != 0 ? 0x28 : 0x20);
            spi(static_cast<std::uint8_t>(a >> 9));
            spi(static_cast<std::uint8_t>(a >> 1));
            reply.push_back(spi(0x00));
        } else {
            spi(0xA0);
            spi(static_cast<std::uint8_t>(a >> 8));
            spi(static_cast<std::uint8_t>(a));
            reply.push_back(spi(0x00));
        }
    }
    return reply;
}

} // namespace tovel::sim
