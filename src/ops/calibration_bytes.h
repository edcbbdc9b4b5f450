// Read Calibration Bytes (command 32904): reads the oscillator calibration bytes of an AVR chip at
// 19200 baud and shows them on the status line and in a box. Byte j belongs to 2^j MHz. The
// operation status is left alone.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "core/outcome.h"
#include "i18n/messages.h"

namespace tovel {

struct ChipContext;

Outcome readCalibrationBytes(ChipContext& context);

// "Calibration byte(s):" followed by " %02X" for each byte.
std::string calibrationStatusText(std::span<const std::uint8_t> bytes, const Messages& messages);
// "Calibration byte(s):\n" followed by "\n    %d MHz: 0x%02X" for each byte.
std::string calibrationBoxText(std::span<const std::uint8_t> bytes, const Messages& messages);

} // namespace tovel
