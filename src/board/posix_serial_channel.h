// The serial channel on a POSIX terminal device (termios).
//
// How the line settings are expressed here: raw mode, 8 data bits, no parity, 1 stop bit,
// receiver on, modem control lines ignored (CLOCAL), no hardware or software flow control, and
// HUPCL off so that closing does not toggle the modem lines. DTR and RTS are cleared right after
// the open (the kernel raises them while opening; that cannot be avoided). The driver's own queue
// sizes are used: a terminal has no call to set them.
//
// The port is opened exclusively: an advisory lock (flock) that other careful programs honour,
// plus the terminal's exclusive mode (TIOCEXCL) that refuses any further open by others. Either
// refusal reads "Error in CreateFile". USB serial adapters are switched to low-latency mode where
// the driver allows it, so a one-byte reply is not held back for the adapter's latency timer.
#pragma once

#include <memory>
#include <string>

#include "board/port_map.h"
#include "board/serial_channel.h"
#include "core/stop_request.h"

namespace tovel {

class PosixSerialChannel final : public SerialChannel {
public:
    // `timeoutMs` is the per-read silence time-out and the write time-out. Production passes
    // kReadTimeoutMs; tests and fault soaks may pass a shorter one.
    explicit PosixSerialChannel(const PortMap& ports, unsigned timeoutMs = kReadTimeoutMs);
    ~PosixSerialChannel() override;
    PosixSerialChannel(const PosixSerialChannel&) = delete;
    PosixSerialChannel& operator=(const PosixSerialChannel&) = delete;

    // Opens the device the port map gives for port number portIndex + 1.
    bool openPort(int portIndex, std::uint32_t baud) override;
    // Opens a device by its path, with the same settings and outcomes as openPort.
    bool openPath(const std::string& path, std::uint32_t baud);
    bool closePort() override;
    bool sendByte(std::uint8_t byte) override;
    bool sendBytes(const std::uint8_t* bytes, std::size_t count) override;
    const std::uint8_t* receive(std::size_t count) override;
    int receiveByte() override;
    void discardInput() override;
    // Reads and write waits then end as soon as `stop` cuts them, as after their time-out.
    // Null (the default): only the time-out ends them.
    void watchStop(const StopRequest* stop) { stop_ = stop; }

    bool isConnected() const override { return connected_; }
    const char* statusText() const override { return status_; }
    std::optional<PortOpenFailure> lastOpenFailure() const override { return openFailure_; }
    int portIndex() const { return portIndex_; }
    std::uint32_t baud() const { return baud_; }
    unsigned timeoutMs() const { return timeoutMs_; }

private:
    bool openDevice(const std::string& path, std::uint32_t baud);
    bool applyLineSettings(std::uint32_t baud);
    bool failOpen(const std::string& path, PortOpenFailure::Stage stage, int error);
    // One read call: waits up to the time-out for the first byte, then takes what has arrived
    // (at most `max`). Returns the count, 0 after the time-out, -1 on a read error.
    long readCall(std::uint8_t* into, std::size_t max);
    // Writes as much as the write time-out allows; `written` tells how much went out.
    bool writeCall(const std::uint8_t* bytes, std::size_t count, std::size_t& written);
    bool send(const std::uint8_t* bytes, std::size_t count);

    // poll() on the port and the stop's wake-up; true when the stop cut the wait.
    bool pollPort(short events, int timeoutMs, short& revents, int& ready);

    const PortMap& ports_;
    const unsigned timeoutMs_;
    const StopRequest* stop_ = nullptr;
    int fd_ = -1;
    int portIndex_ = -1;
    bool connected_ = false;
    std::uint32_t baud_ = 0;
    const char* status_ = channel_status::NotInitialized;
    std::unique_ptr<std::uint8_t[]> rxBuffer_;
    std::optional<PortOpenFailure> openFailure_;
};

} // namespace tovel
