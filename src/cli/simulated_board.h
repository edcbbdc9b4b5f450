// --simulate: the simulated board on a pseudo-terminal inside this process, so that every command
// runs on a machine without a board. The Workbench reaches it as a real serial port: the port
// map points the chosen port at the pseudo-terminal.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "sim/pty_board_host.h"

namespace tovel {
class PortMap;
}

namespace tovel::cli {

class SimulatedBoard {
public:
    // `device`: a device table name, or "none" for an empty socket. With `stateFile` the chip's
    // memories are loaded from it (when it belongs to this chip) and saved to it at the end.
    // `simulateWith`: further tovel-sim options (wiring, firmware, faults), already checked.
    SimulatedBoard(const std::string& device, const std::optional<std::string>& stateFile,
                   const std::vector<std::string>& simulateWith = {});

    bool ok() const { return host_.ok(); }
    const std::string& error() const { return host_.error(); }

    // Port `port` (1..8) leads to the simulated board; the other ports lead nowhere, so a board
    // search finds this board only and never waits on a real device.
    void attach(PortMap& ports, int port) const;

    // The pseudo-terminal a serial channel opens, and the board behind it (chips in and out).
    const std::string& path() const { return host_.slavePath(); }
    sim::PtyBoardHost& host() { return host_; }

private:
    sim::PtyBoardHost host_;
};

} // namespace tovel::cli
