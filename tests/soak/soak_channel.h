// The soak's serial channel: the real one, plus two things a harness needs.
//
// It counts the read calls that came back without their bytes: the silences from which the
// protocol's time-out bound is built.
//
// Before the port closes (also when openPort reopens it at another speed) it waits until the
// simulated board has taken every byte sent so far. A real UART has put them on the wire at
// the speed they were sent by then; the simulator reads the speed when it takes the bytes, and
// with the protocol's pauses not slept it could otherwise decode them at the next speed.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

#include "board/serial_channel.h"

namespace tovel::soak {

class SoakChannel final : public SerialChannel {
public:
    // `boardTook` tells how many bytes the board has taken from the line so far.
    SoakChannel(SerialChannel& inner, std::function<std::uint64_t()> boardTook);

    bool openPort(int portIndex, std::uint32_t baud) override;
    bool closePort() override;
    bool sendByte(std::uint8_t byte) override;
    bool sendBytes(const std::uint8_t* bytes, std::size_t count) override;
    const std::uint8_t* receive(std::size_t count) override;
    int receiveByte() override;
    bool isConnected() const override { return inner_.isConnected(); }
    const char* statusText() const override { return inner_.statusText(); }

    int silentReads() const { return silentReads_.load(); }

private:
    void letTheBoardTakeWhatWasSent() const;

    SerialChannel& inner_;
    std::function<std::uint64_t()> boardTook_;
    std::uint64_t sent_ = 0;
    std::atomic<int> silentReads_{0};
};

} // namespace tovel::soak
