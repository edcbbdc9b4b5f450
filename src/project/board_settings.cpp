#include "project/board_settings.h"

namespace tovel {

std::optional<int> portButtonForPort(std::int32_t comPort) {
    if (comPort == 0) return 0;
    if (comPort >= 1 && comPort <= kComPortCount) return comPort - 1;
    return std::nullopt;
}

std::optional<std::int32_t> speedButtonForIndex(std::int32_t baudIndex) {
    if (baudIndex >= Baud19200 && baudIndex <= Baud921600) return baudIndex;
    return std::nullopt;
}

std::int32_t portFromButtons(const std::array<bool, kComPortCount>& checked, std::int32_t preset) {
    std::int32_t port = preset;
    for (int i = 0; i < kComPortCount; ++i)
        if (checked[static_cast<std::size_t>(i)]) port = i + 1;
    return port;
}

std::int32_t speedFromButtons(const SpeedButtons& buttons) {
    if (buttons.checked921600) return Baud921600;
    if (buttons.checked115200) return Baud115200;
    return Baud19200;
}

} // namespace tovel
