// Replaying a trace: the board answers as the recorded board did, byte for byte. A trace is the
// byte log of this simulator or the --trace file of the control program (the same format); a
// trace a person sends from a real board thus becomes a test here.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "sim/sim_options.h"

namespace tovel::sim {

// The bytes of a trace file in order ("   0.050112 host>board 25 '%'" lines; comments and other
// lines are skipped). Nothing, with `error` set, when the file cannot be read or holds no byte.
std::optional<std::vector<LoggedByte>> readTraceFile(const std::string& path, std::string& error);

// Where a replay stands: the host's bytes are matched against the recorded ones, and after each
// recorded host byte come the board's recorded answers.
class TraceReplay {
public:
    explicit TraceReplay(const std::vector<LoggedByte>& steps) : steps_(steps) {}
    // What the recorded board sent after the host's byte `byte`; nothing when the host strays from
    // the trace (from then on the board stays silent, as a broken line would).
    std::vector<std::uint8_t> hostByte(std::uint8_t byte);
    bool diverged() const { return diverged_; }

private:
    const std::vector<LoggedByte>& steps_;
    std::size_t at_ = 0;
    bool diverged_ = false;
};

} // namespace tovel::sim
