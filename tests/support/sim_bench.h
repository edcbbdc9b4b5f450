// An end-to-end bench: the real serial channel on a pseudo-terminal against the simulated board,
// with the session, a recording front end and the headless runner host wired up as the command
// line wires them. Port 1 is the simulated board; every other port names a missing device unless
// a test adds more boards.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "board/board_session.h"
#include "board/posix_serial_channel.h"
#include "sim/pty_board_host.h"
#include "support/recording_progress.h"
#include "support/recording_ui.h"

namespace tovel::test {

class SimBench {
public:
    // `timeoutMs` scales the channel's silence time-out; tests of failures that wait for it use a
    // short one.
    explicit SimBench(sim::SimOptions options = {}, unsigned timeoutMs = SerialChannel::kReadTimeoutMs);

    bool ok() const { return board->ok(); }
    // Another simulated board on `port` (1..8).
    sim::PtyBoardHost& addBoard(int port, sim::SimOptions options);
    // Host-to-board bytes of the board's log, once the board has taken everything sent. (A byte
    // written just before the port closes can reach the board after it has reported idle, so
    // this also waits until the log stops growing.)
    std::vector<std::uint8_t> hostBytes(const sim::PtyBoardHost& host) const;

    std::unique_ptr<sim::PtyBoardHost> board;
    std::vector<std::unique_ptr<sim::PtyBoardHost>> others;
    PortMap ports;
    PosixSerialChannel channel;
    RecordingUi ui;
    Messages messages;
    BoardSession session;
    HeadlessRunning running{ui};
};

} // namespace tovel::test
