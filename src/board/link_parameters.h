// The link settings a programming session sends to the board: the speed index, the SPI clock
// code for the project's SCK period, and the polling flag.
#pragma once

#include <array>
#include <cstdint>

#include "devices/device_table.h"

namespace tovel {

constexpr int kSckPeriodCount = 8;

// The text of an SCK period as the period lists show it ("0.25 uS (4 MHz)" ...); index 0..7.
const char* sckPeriodText(int sckPeriodIndex);

// The board's SCK code for a period index. An index outside 0..7 gives the slowest clock, which
// every chip can follow. The AT89S8253 adds the device flag 0x04; with `dataFlashRule` an AT45
// DataFlash gets 0x04 alone, whatever the period (the session's open uses the rule, its end not).
std::uint8_t sckCode(int sckPeriodIndex, const DeviceRecord& device, bool dataFlashRule);

// Speed index 0 is 19200 baud, 1 is 115200; any other value means 921600.
std::uint32_t baudForIndex(int baudIndex);

// The LinkParameters packet: '#', speed index, SCK code, polling flag.
std::array<std::uint8_t, 4> linkParametersPacket(int baudIndex, std::uint8_t sckCode, bool polling);

} // namespace tovel
