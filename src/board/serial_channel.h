// The one path between the program and the programmer board: a serial port opened with fixed
// line settings (8N1, raw, no flow control, DTR and RTS inactive), written with drained writes
// and read with a silence time-out per read call. It moves bytes and knows nothing of the board
// protocol. Used by one thread at a time; it has no lock.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tovel {

// The diagnostic texts of the channel. The program never shows them; they tell a developer
// what the channel did last.
namespace channel_status {
inline constexpr const char* NotInitialized = "Not initialized";
inline constexpr const char* Connecting = "Connect...";
inline constexpr const char* ConnectOk = "Connect: OK";
inline constexpr const char* OpenFailed = "Error in CreateFile";
inline constexpr const char* SettingsRefused = "Error in SetCommState";
inline constexpr const char* Disconnecting = "Disconnect...";
inline constexpr const char* DisconnectOk = "Disconnect: OK";
inline constexpr const char* Sending = "Send...";
inline constexpr const char* SendOk = "Send: OK";
inline constexpr const char* SendIoError = "Send: I/O error";
inline constexpr const char* SendNotConnected = "Send: not connected";
inline constexpr const char* Receiving = "Receive...";
inline constexpr const char* ReceiveOk = "Receive: OK";
inline constexpr const char* ReceiveIoError = "Receive: I/O error";
inline constexpr const char* ReceiveNotConnected = "Receive: not connected";
inline constexpr const char* ReceivingByte = "Receive1...";
inline constexpr const char* ReceiveByteNotConnected = "Receive1: not connected";
} // namespace channel_status

class SerialChannel {
public:
    // A read call that sees no byte for this long gives up; a missing reply costs this much.
    static constexpr unsigned kReadTimeoutMs = 2800;
    // Writes that cannot be completed within this long fail.
    static constexpr unsigned kWriteTimeoutMs = 2800;
    // The largest reply one `receive` can hold (one Flash or DataFlash page at most).
    static constexpr std::size_t kReceiveBufferSize = 32768;

    static constexpr std::uint32_t kBaud19200 = 19200;
    static constexpr std::uint32_t kBaud115200 = 115200;
    static constexpr std::uint32_t kBaud921600 = 921600;

    virtual ~SerialChannel() = default;

    // Closes any open port, then opens port `portIndex` (0-based: 0 is port number 1) at `baud`.
    // False when the device is missing or held by another program ("Error in CreateFile") or the
    // line settings are refused ("Error in SetCommState"); the channel is then closed.
    virtual bool openPort(int portIndex, std::uint32_t baud) = 0;
    // Always true; closing a closed channel is harmless.
    virtual bool closePort() = 0;
    // Waits until earlier output has left, then writes; a failed write is retried once.
    // False on a closed channel (nothing touched) or when not every byte could be written.
    virtual bool sendByte(std::uint8_t byte) = 0;
    virtual bool sendBytes(const std::uint8_t* bytes, std::size_t count) = 0;
    // Exactly `count` bytes, collected over as many read calls as it takes, each call waiting at
    // most the read time-out for the next byte. Null on a closed channel, on a count above
    // kReceiveBufferSize, or when a read call brought nothing. The bytes stay valid until the
    // next `receive`; a count of 0 succeeds at once.
    virtual const std::uint8_t* receive(std::size_t count) = 0;
    // What receiveByte returns on a closed channel: no byte, and not the same as a time-out.
    static constexpr int kClosed = -2;
    // The next byte 0..255; -1 after the read time-out or a read error; kClosed on a closed
    // channel (never a byte value, so no caller takes it for a 0x00 from the board).
    virtual int receiveByte() = 0;

    virtual bool isConnected() const = 0;
    virtual const char* statusText() const = 0;
};

} // namespace tovel
