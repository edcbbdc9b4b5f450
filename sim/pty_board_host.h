// The simulated board on a pseudo-terminal: a background thread reads what the host writes to the
// slave side, feeds it to the board model at the speed the host set with termios, and writes the
// board's replies back. Opening the slave path with a serial channel talks to the board as to a
// real one. The host may close and reopen the slave any number of times.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sim/chip_memories.h"
#include "sim/sim_options.h"

namespace tovel::sim {

class PtyBoardHost {
public:
    // Opens the pty and starts the board thread. On failure `ok()` is false and `error()` says why.
    explicit PtyBoardHost(SimOptions options);
    ~PtyBoardHost(); // stops the thread, saves the state file (if any), closes the pty
    PtyBoardHost(const PtyBoardHost&) = delete;
    PtyBoardHost& operator=(const PtyBoardHost&) = delete;

    bool ok() const;
    const std::string& error() const;
    const std::string& slavePath() const; // open this with the serial channel

    // Thread-safe test access; all of these may be called while the host talks to the board.
    ChipMemories memories() const;
    std::vector<std::uint8_t> flash() const;
    std::vector<std::uint8_t> eeprom() const;
    std::array<std::uint8_t, 3> fuses() const;
    std::uint8_t lockBits() const;
    void setMemories(const ChipMemories& memories); // sizes are fitted to the chip
    void setFlash(std::size_t offset, const std::vector<std::uint8_t>& bytes);
    void setEeprom(std::size_t offset, const std::vector<std::uint8_t>& bytes);

    void injectFault(const Fault& fault);
    void clearFaults();

    std::vector<LoggedByte> log() const;
    void clearLog();

    int boardBaud() const;          // the speed the board is at now
    bool inProgrammingMode() const; // the target is held in programming mode
    TimingReport timing() const;    // the floor imposed so far (timing model on)
    void resetTiming();
    std::uint64_t bytesFromHost() const;

    // Blocks until the board has been idle (nothing unread, nothing pending) or `timeoutMs` passed.
    bool waitIdle(unsigned timeoutMs = 1000) const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace tovel::sim
