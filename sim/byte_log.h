// The byte log as text: one line per byte with its time, direction and value, and a line
// whenever the host's or the board's speed changes.
#pragma once

#include <cstdio>
#include <string>

#include "sim/sim_options.h"

namespace tovel::sim {

// "   12.345678 host>board 25 '%'" (time in seconds since the board started).
std::string formatLoggedByte(const LoggedByte& entry);

class ByteLogWriter {
public:
    explicit ByteLogWriter(std::FILE* file) : file_(file) {}
    void write(const LoggedByte& entry);
    void flush();

private:
    std::FILE* file_;
    int hostBaud_ = 0;
    int boardBaud_ = 0;
};

} // namespace tovel::sim
