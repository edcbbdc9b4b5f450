// The machine-wide board settings (port, link speed, board delays) and the rules the Board
// Settings and Advanced Board Settings dialogs apply to them.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace tovel {

constexpr int kComPortCount = 8;

// Link speed by `baudIndex`: 0 = 19200, 1 = 115200, 2 = 921600 baud. Other stored values are
// kept as read; sessions decide what they mean.
enum BaudIndex : std::int32_t { Baud19200 = 0, Baud115200 = 1, Baud921600 = 2 };

// Milliseconds, in the order of the settings file's "Special1".."Special4".
struct BoardDelays {
    std::int32_t preReadDelayMs = 0;
    std::int32_t pageReadDelayMs = 0;  // waited after each block read (Flash read, verify, blank check)
    std::int32_t pageWriteDelayMs = 0; // waited after each page the Flash program loop writes
    std::int32_t postSendDelayMs = 0;

    bool operator==(const BoardDelays&) const = default;
};

constexpr std::int32_t kMaxBoardDelayMs = 1000;

// The Advanced Board Settings dialog accepts 0..1000 in each field.
constexpr bool isValidBoardDelay(long long ms) { return ms >= 0 && ms <= kMaxBoardDelayMs; }
constexpr bool areValidBoardDelays(const BoardDelays& d) {
    return isValidBoardDelay(d.preReadDelayMs) && isValidBoardDelay(d.pageReadDelayMs) &&
           isValidBoardDelay(d.pageWriteDelayMs) && isValidBoardDelay(d.postSendDelayMs);
}

// Board Settings dialog. Which port button (0 = COM1 .. 7 = COM8) starts checked: port 0 (none
// chosen yet) checks COM1; a stored port outside 1..8 checks none.
std::optional<int> portButtonForPort(std::int32_t comPort);
// Which speed button starts checked (the BaudIndex it stands for); a stored index outside 0..2
// checks none.
std::optional<std::int32_t> speedButtonForIndex(std::int32_t baudIndex);

// On OK: the port is the number of the checked port button, scanning COM1..COM8 and keeping the
// last one checked; with none checked the preset stays.
std::int32_t portFromButtons(const std::array<bool, kComPortCount>& checked, std::int32_t preset);
// The speed buttons that decide the BaudIndex (19200 is what is left when neither is checked).
struct SpeedButtons {
    bool checked115200 = false;
    bool checked921600 = false;
};
// On OK: 2 if the 921600 button is checked, else 1 if the 115200 button is, else 0.
std::int32_t speedFromButtons(const SpeedButtons& buttons);

} // namespace tovel
