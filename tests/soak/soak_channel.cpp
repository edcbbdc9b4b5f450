#include "soak/soak_channel.h"

#include <chrono>
#include <thread>

namespace tovel::soak {

SoakChannel::SoakChannel(SerialChannel& inner, std::function<std::uint64_t()> boardTook)
    : inner_(inner), boardTook_(std::move(boardTook)) {}

void SoakChannel::letTheBoardTakeWhatWasSent() const {
    if (!inner_.isConnected()) return;
    // Bounded: a board thread that never reads would otherwise hold the run here.
    for (int i = 0; i < 1000 && boardTook_() < sent_; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

bool SoakChannel::openPort(int portIndex, std::uint32_t baud) {
    letTheBoardTakeWhatWasSent();
    return inner_.openPort(portIndex, baud);
}

bool SoakChannel::closePort() {
    letTheBoardTakeWhatWasSent();
    return inner_.closePort();
}

bool SoakChannel::sendByte(std::uint8_t byte) {
    const bool sent = inner_.sendByte(byte);
    if (sent) ++sent_;
    return sent;
}

bool SoakChannel::sendBytes(const std::uint8_t* bytes, std::size_t count) {
    const bool sent = inner_.sendBytes(bytes, count);
    if (sent) sent_ += count;
    return sent;
}

const std::uint8_t* SoakChannel::receive(std::size_t count) {
    const std::uint8_t* reply = inner_.receive(count);
    if (reply == nullptr && inner_.isConnected()) ++silentReads_;
    return reply;
}

int SoakChannel::receiveByte() {
    const int reply = inner_.receiveByte();
    if (reply < 0) ++silentReads_;
    return reply;
}

} // namespace tovel::soak
