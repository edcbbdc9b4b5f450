// A serial channel that writes down everything that passes through it: every byte both ways with
// its time in microseconds, speed changes, opens and closes. The lines have the simulated board's
// byte-log format, so a trace from a real board can be replayed by the simulator:
//
//     # open /dev/ttyUSB0 at 19200 baud
//     # speed: host 19200, board 19200
//          0.050112 host>board 25 '%'
//          0.051003 board>host 2B '+'
//     # close
#pragma once

#include <chrono>
#include <cstdio>
#include <memory>

#include "board/port_map.h"
#include "board/serial_channel.h"

namespace tovel {

class TracingChannel final : public SerialChannel {
public:
    using OwnedFile = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

    // Writes to `file` (kept open by the caller until this channel is gone; null: no trace); the
    // port numbers of `inner` lead through `ports`, which names the device in the open lines.
    TracingChannel(std::unique_ptr<SerialChannel> inner, const PortMap& ports, std::FILE* file);
    ~TracingChannel() override;

    // From now on writes to `file`, which the channel then owns and closes; null ends the trace.
    // Times count from here. Only while the port is closed (between sessions).
    void setTraceFile(OwnedFile file);

    bool openPort(int portIndex, std::uint32_t baud) override;
    bool closePort() override;
    bool sendByte(std::uint8_t byte) override;
    bool sendBytes(const std::uint8_t* bytes, std::size_t count) override;
    const std::uint8_t* receive(std::size_t count) override;
    int receiveByte() override;
    void discardInput() override { inner_->discardInput(); }
    bool isConnected() const override { return inner_->isConnected(); }
    const char* statusText() const override { return inner_->statusText(); }
    std::optional<PortOpenFailure> lastOpenFailure() const override { return inner_->lastOpenFailure(); }

private:
    void logBytes(bool fromHost, const std::uint8_t* bytes, std::size_t count);

    std::unique_ptr<SerialChannel> inner_;
    const PortMap& ports_;
    OwnedFile ownedFile_{nullptr, &std::fclose};
    std::FILE* file_;
    std::chrono::steady_clock::time_point start_;
    std::uint32_t baud_ = 0;
    bool open_ = false;
};

} // namespace tovel
