#include "support/sent_bytes.h"

#include <cstdio>

#include "sim/pty_board_host.h"

namespace tovel::test {

std::string sentHexOf(const sim::PtyBoardHost& host) {
    std::string hex;
    for (const sim::LoggedByte& entry : host.log()) {
        if (entry.direction != sim::Direction::HostToBoard) continue;
        char text[4];
        std::snprintf(text, sizeof text, "%02X ", entry.byte);
        hex += text;
    }
    return hex;
}

// Every byte takes three characters and starts with a digit, so a match starts on a byte.
std::size_t findHex(const std::string& sent, const std::string& hex, std::size_t from) {
    const std::size_t at = sent.find(hex + " ", from * 3);
    return at == std::string::npos ? at : at / 3;
}

std::size_t countHex(const std::string& sent, const std::string& hex) {
    std::size_t count = 0;
    for (std::size_t at = findHex(sent, hex); at != std::string::npos; at = findHex(sent, hex, at + 1))
        ++count;
    return count;
}

} // namespace tovel::test
