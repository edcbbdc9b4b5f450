#include "board/link_parameters.h"

#include <cstring>

#include "board/board_protocol.h"
#include "board/serial_channel.h"

namespace tovel {

namespace {

struct SckPeriod {
    const char* text;
    std::uint8_t code;
};

constexpr SckPeriod kSckPeriods[kSckPeriodCount] = {
    {"0.25 uS (4 MHz)", 0x80}, {"0.5 uS (2 MHz)", 0x00}, {"1 uS (1 MHz)", 0x81},   {"2 uS (500 kHz)", 0x01},
    {"4 uS (250 kHz)", 0x82},  {"8 uS (125 kHz)", 0x02}, {"16 uS (60 kHz)", 0x03}, {"150 uS (7 kHz)", 0xFF},
};

constexpr std::uint8_t kDeviceFlag = 0x04;
constexpr int kSlowestPeriod = kSckPeriodCount - 1;

bool validPeriod(int index) { return index >= 0 && index < kSckPeriodCount; }

} // namespace

const char* sckPeriodText(int sckPeriodIndex) {
    return kSckPeriods[validPeriod(sckPeriodIndex) ? sckPeriodIndex : kSlowestPeriod].text;
}

std::uint8_t sckCode(int sckPeriodIndex, const DeviceRecord& device, bool dataFlashRule) {
    if (dataFlashRule && device.isDataFlash()) return kDeviceFlag;
    std::uint8_t code = kSckPeriods[validPeriod(sckPeriodIndex) ? sckPeriodIndex : kSlowestPeriod].code;
    if (std::strcmp(device.name, "AT89S8253") == 0) code |= kDeviceFlag;
    return code;
}

std::uint32_t baudForIndex(int baudIndex) {
    if (baudIndex == 0) return SerialChannel::kBaud19200;
    if (baudIndex == 1) return SerialChannel::kBaud115200;
    return SerialChannel::kBaud921600;
}

std::array<std::uint8_t, 4> linkParametersPacket(int baudIndex, std::uint8_t sckCode, bool polling) {
    return {protocol::LinkParameters, static_cast<std::uint8_t>(baudIndex), sckCode,
            static_cast<std::uint8_t>(polling ? 1 : 0)};
}

} // namespace tovel
