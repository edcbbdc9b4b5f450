// The simulated programmer board: a plain object fed the bytes the host puts on the line, with no
// I/O of its own. It parses the board's command set, drives the simulated chip through its SPI
// programming instructions, and returns what the board sends back. Not thread-safe: the pty host
// serialises access.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "sim/chip_memories.h"
#include "sim/sim_options.h"

namespace tovel::sim {

// Bytes the board puts on the line, as a receiver at the host's speed decodes them, and the
// board time at which the first of them starts (the timing model may delay it).
struct Transmission {
    std::uint64_t atUs = 0;
    std::vector<std::uint8_t> bytes;
};

class BoardModel {
public:
    explicit BoardModel(const SimOptions& options);
    ~BoardModel();
    BoardModel(const BoardModel&) = delete;
    BoardModel& operator=(const BoardModel&) = delete;

    // Bytes the host sent back to back at `hostBaud`, arriving at board time `nowUs`
    // (microseconds, non-decreasing). Bytes sent at another speed than the board's are decoded
    // as a real UART would (garbage), and so are the replies at the host's end.
    std::vector<Transmission> feed(std::span<const std::uint8_t> bytes, int hostBaud,
                                   std::uint64_t nowUs = 0);
    // Convenience for tests: feed and return all reply bytes, ignoring timing.
    std::vector<std::uint8_t> exchange(const std::vector<std::uint8_t>& bytes, int hostBaud = 19200);

    int baud() const; // the board's current line speed
    bool inProgrammingMode() const;
    FirmwareState firmwareState() const;

    ChipMemories memories() const;
    void setMemories(const ChipMemories& memories);
    // True when the chip's memories changed since the last call (for saving the state file).
    bool takeChipChanged();

    void injectFault(const Fault& fault);
    void clearFaults();

    std::vector<LoggedByte> log() const;
    void clearLog();
    void setLogLimit(std::size_t entries); // oldest entries are dropped beyond this (default 1,000,000)
    // Called for every byte as it is logged (e.g. to write a log file); empty to stop.
    void setLogSink(std::function<void(const LoggedByte&)> sink);

    TimingReport timing() const;
    void resetTiming();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace tovel::sim
