#include "board/tracing_channel.h"

namespace tovel {

TracingChannel::TracingChannel(std::unique_ptr<SerialChannel> inner, const PortMap& ports, std::FILE* file)
    : inner_(std::move(inner)), ports_(ports), file_(file), start_(std::chrono::steady_clock::now()) {}

TracingChannel::~TracingChannel() {
    closePort();
    if (file_ != nullptr) std::fflush(file_);
}

void TracingChannel::setTraceFile(OwnedFile file) {
    if (file_ != nullptr) std::fflush(file_);
    ownedFile_ = std::move(file);
    file_ = ownedFile_.get();
    start_ = std::chrono::steady_clock::now();
    baud_ = 0; // the next open states its speed afresh
}

bool TracingChannel::openPort(int portIndex, std::uint32_t baud) {
    if (open_) closePort();
    const bool opened = inner_->openPort(portIndex, baud);
    if (file_ == nullptr) return opened;
    std::fprintf(file_, "# open %s at %u baud%s\n", ports_.pathFor(portIndex + 1).c_str(), baud,
                 opened ? "" : ": failed");
    if (opened && baud != baud_) {
        // The board is assumed at the host's speed: the trace is written at the host's end.
        std::fprintf(file_, "# speed: host %u, board %u\n", baud, baud);
        baud_ = baud;
    }
    open_ = opened;
    return opened;
}

bool TracingChannel::closePort() {
    const bool closed = inner_->closePort();
    if (open_ && file_ != nullptr) {
        std::fprintf(file_, "# close\n");
        std::fflush(file_);
    }
    open_ = false;
    return closed;
}

void TracingChannel::logBytes(bool fromHost, const std::uint8_t* bytes, std::size_t count) {
    if (file_ == nullptr || bytes == nullptr) return;
    const auto us = static_cast<unsigned long long>(
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start_)
            .count());
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t byte = bytes[i];
        const char printable = byte >= 0x20 && byte < 0x7F ? static_cast<char>(byte) : '.';
        std::fprintf(file_, "%6llu.%06llu %s %02X '%c'\n", us / 1000000, us % 1000000,
                     fromHost ? "host>board" : "board>host", byte, printable);
    }
}

bool TracingChannel::sendByte(std::uint8_t byte) {
    const bool sent = inner_->sendByte(byte);
    if (sent) logBytes(true, &byte, 1);
    return sent;
}

bool TracingChannel::sendBytes(const std::uint8_t* bytes, std::size_t count) {
    const bool sent = inner_->sendBytes(bytes, count);
    if (sent) logBytes(true, bytes, count);
    return sent;
}

const std::uint8_t* TracingChannel::receive(std::size_t count) {
    const std::uint8_t* bytes = inner_->receive(count);
    logBytes(false, bytes, count);
    return bytes;
}

int TracingChannel::receiveByte() {
    const int byte = inner_->receiveByte();
    if (byte >= 0 && inner_->isConnected()) {
        const auto value = static_cast<std::uint8_t>(byte);
        logBytes(false, &value, 1);
    }
    return byte;
}

} // namespace tovel
