// A pseudo-terminal pair for serial channel tests: the program opens `slavePath()` as its port,
// the test plays the board on the master side. The helper keeps its own slave descriptor open so
// that the master never sees a hang-up while the program closes and reopens the port.
#pragma once

#include <cstdint>
#include <string>
#include <termios.h>
#include <vector>

namespace tovel::test {

class PtyPair {
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool ok() const { return master_ >= 0; }
    const std::string& slavePath() const { return slavePath_; }

    // Board side: write to the program, read what it sent (waiting up to `timeoutMs` for the
    // first byte, then taking what else arrives within `settleMs`).
    bool write(const std::vector<std::uint8_t>& bytes);
    std::vector<std::uint8_t> read(unsigned timeoutMs, unsigned settleMs = 20);
    // The board goes away (as an unplugged adapter does): the master side is closed.
    void hangUp();
    // The line settings the program left on the port.
    termios settings() const;

private:
    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
};

} // namespace tovel::test
