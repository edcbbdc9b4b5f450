// Helpers for the simulator tests: byte literals and the session openings the host performs.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "sim/board_model.h"

namespace tovel::sim::test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes bytes(std::initializer_list<int> values) {
    Bytes out;
    for (int v : values) out.push_back(static_cast<std::uint8_t>(v));
    return out;
}

inline Bytes text(const std::string& s) { return Bytes(s.begin(), s.end()); }

inline Bytes concat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

inline SimOptions chipOptions(const std::string& device) {
    SimOptions options;
    options.device = device;
    return options;
}

// The opening of a programming session at 19200 baud (the host's openSession up to entering
// programming mode), for an AVR part: class, address, link parameters, reset strobe, enable.
inline void openAvrSession(BoardModel& board, int deviceClass) {
    board.exchange(bytes({'&', deviceClass}));
    board.exchange(bytes({':', 0, 0}));
    board.exchange(bytes({'#', 0, 0x82, 0}));
    board.exchange(bytes({'Q'}));
    board.exchange(bytes({'='}));
}

// The same for AT89S and AT25 parts: BeginAt89 and the programming enable of their variant.
inline void openAt89Session(BoardModel& board, int deviceClass, bool fourByte) {
    board.exchange(bytes({'&', deviceClass}));
    board.exchange(bytes({':', 0, 0}));
    board.exchange(bytes({'#', 0, 0x82, 0}));
    board.exchange(bytes({'+'}));
    board.exchange(fourByte ? bytes({'4', 0xAC, 0x53, 0, 0}) : bytes({'3', 0xAC, 0x53, 0}));
}

inline std::uint8_t spiRead(BoardModel& board, int b1, int b2, int b3) {
    const Bytes reply = board.exchange(bytes({'5', b1, b2, b3}));
    return reply.size() == 1 ? reply[0] : 0xEE;
}

inline Bytes signature(BoardModel& board) {
    return {spiRead(board, 0x30, 0, 0), spiRead(board, 0x30, 0, 1), spiRead(board, 0x30, 0, 2)};
}

} // namespace tovel::sim::test
