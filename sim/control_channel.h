// A control channel for simulated boards while they run: a FIFO whose lines put a chip into a
// socket or take it out, so that a hands-free production loop can be driven from a test or a
// shell ("echo '2 insert' > ctl").
//
//   [BOARD] insert [DEVICE]   a fresh chip (default: the board's own chip) into the socket
//   [BOARD] remove            the socket is empty
//
// BOARD (1..) picks one of several boards of one process; without it the first board is meant.
// Lines that cannot be understood are ignored.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <thread>

namespace tovel::sim {

struct ControlCommand {
    int board = 1;
    bool insert = false;
    std::string device; // "" for the board's own chip
};

std::optional<ControlCommand> parseControlLine(const std::string& line);

class ControlChannel {
public:
    using Handler = std::function<void(const ControlCommand&)>;

    // Makes the FIFO at `path` (an existing FIFO is used as it is) and reads it on a thread of its
    // own, calling `handler` for each command. Check ok() and error().
    ControlChannel(std::string path, Handler handler);
    ~ControlChannel(); // stops the thread; removes the FIFO if it made it
    ControlChannel(const ControlChannel&) = delete;
    ControlChannel& operator=(const ControlChannel&) = delete;

    bool ok() const { return fifo_ >= 0; }
    const std::string& error() const { return error_; }

private:
    void readLines();

    std::string path_;
    Handler handler_;
    std::string error_;
    bool made_ = false;
    int fifo_ = -1;
    int stop_[2] = {-1, -1};
    std::thread thread_;
};

} // namespace tovel::sim
