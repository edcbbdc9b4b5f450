#include "support/fake_board_link.h"

#include <cstdio>

#include "board/board_protocol.h"

namespace tovel::test {

namespace p = tovel::protocol;

Bytes bytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

std::string hexOf(const std::uint8_t* bytes, std::size_t count) {
    std::string out;
    char cell[4];
    for (std::size_t i = 0; i < count; ++i) {
        std::snprintf(cell, sizeof cell, i == 0 ? "%02X" : " %02X", bytes[i]);
        out += cell;
    }
    return out;
}

std::vector<std::string> WireLog::from(const std::string& first) const {
    for (std::size_t i = 0; i < entries_.size(); ++i)
        if (entries_[i] == first)
            return std::vector<std::string>(entries_.begin() + static_cast<long>(i), entries_.end());
    return {};
}

void FakeClock::sleepMs(unsigned milliseconds) {
    log_.add("wait " + std::to_string(milliseconds));
    nowMs_ += milliseconds;
}

Bytes FakeBoard::respond(const Bytes& written) {
    if (written.empty()) return {};
    if (loader_) {
        // Firmware image groups: every fourth byte is acknowledged.
        Bytes reply;
        for (std::size_t i = 0; i < written.size(); ++i) {
            if (++loaderBytes_ % p::FirmwareGroupSize != 0) continue;
            const std::size_t group = groups_++;
            const auto special = groupReplies_.find(group);
            if (special == groupReplies_.end())
                reply.push_back(p::Ack);
            else
                for (std::uint8_t b : special->second) reply.push_back(b);
        }
        if (groups_ == p::FirmwareGroupCount) loader_ = false;
        return reply;
    }
    const std::uint8_t command = written[0];
    if (auto queued = once_.find(command); queued != once_.end() && !queued->second.empty()) {
        Bytes reply = queued->second.front();
        queued->second.pop_front();
        if (command == p::StartLoader && reply == Bytes{p::LoaderReady}) loader_ = true;
        return reply;
    }
    if (auto fixed = always_.find(command); fixed != always_.end()) return fixed->second;
    return normalReply(written);
}

Bytes FakeBoard::normalReply(const Bytes& written) {
    const std::uint8_t command = written[0];
    switch (command) {
    case p::StatusProbe:
        return {p::ProbeRunning};
    case p::ShortVersion:
        return Bytes(p::RequiredVersion.begin(), p::RequiredVersion.end());
    case p::LongVersion: {
        Bytes reply;
        reply.reserve(versionText.size() + 2);
        reply.push_back(static_cast<std::uint8_t>(versionText.size()));
        for (char c : versionText) reply.push_back(static_cast<std::uint8_t>(c));
        reply.push_back(p::Ack);
        return reply;
    }
    case p::SerialNumber: {
        Bytes reply = serialNumber;
        reply.push_back(p::Ack);
        return reply;
    }
    case p::EndSession:
        return {};
    case p::StartLoader:
        loader_ = true;
        loaderBytes_ = 0;
        groups_ = 0;
        return {p::LoaderReady};
    case p::SpiInstrRead:
        if (written.size() == 4 && written[1] == p::SignatureRead && written[3] < signature.size())
            return {signature[written[3]]};
        return {0x00};
    case p::SpiReadByte:
        return {dataFlashStatus};
    case p::ReadFlashBytes:
    case p::ReadEepromBytes:
        return Bytes(written.size() > 1 ? written[1] : 0, 0xFF);
    case p::SpiReadBlock: {
        const std::size_t count = written.size() > 2 ? (std::size_t{written[1]} << 8) | written[2] : 0;
        Bytes reply(count, 0xFF);
        reply.push_back(p::Ack);
        return reply;
    }
    default:
        return {p::Ack};
    }
}

bool FakeSerialChannel::openPort(int portIndex, std::uint32_t baud) {
    closePort();
    port_ = portIndex + 1;
    baud_ = baud;
    const std::size_t openNumber = opens_++;
    if (unavailablePorts.count(port_) != 0 || failOpens.count(openNumber) != 0 || port_ < 1) {
        log_.add("open " + std::to_string(port_) + " @" + std::to_string(baud) + " fails");
        return false;
    }
    log_.add("open " + std::to_string(port_) + " @" + std::to_string(baud));
    open_ = true;
    pending_.clear();
    return true;
}

bool FakeSerialChannel::closePort() {
    if (open_) log_.add("close");
    open_ = false;
    return true;
}

bool FakeSerialChannel::sendBytes(const std::uint8_t* bytes, std::size_t count) {
    if (!open_) return false;
    const std::size_t index = writes_++;
    if (failWritesFrom && index >= *failWritesFrom) {
        log_.add("> " + hexOf(bytes, count) + " fails");
        return false;
    }
    log_.add("> " + hexOf(bytes, count));
    if (boards_.count(port_) == 0) return true;
    const Bytes reply = boards_[port_].respond(Bytes(bytes, bytes + count));
    pending_.insert(pending_.end(), reply.begin(), reply.end());
    return true;
}

const std::uint8_t* FakeSerialChannel::receive(std::size_t count) {
    if (!open_) return nullptr;
    if (pending_.size() < count) {
        // What there is arrives, then the line stays silent for a whole read time-out.
        if (!pending_.empty()) {
            rx_.assign(pending_.begin(), pending_.end());
            log_.add("< " + hexOf(rx_.data(), rx_.size()));
        }
        pending_.clear();
        log_.add("< timeout");
        clock_.advance(kReadTimeoutMs);
        return nullptr;
    }
    rx_.assign(pending_.begin(), pending_.begin() + static_cast<long>(count));
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<long>(count));
    log_.add("< " + hexOf(rx_.data(), rx_.size()));
    return rx_.data();
}

int FakeSerialChannel::receiveByte() {
    if (!open_) return kClosed;
    const std::uint8_t* byte = receive(1);
    return byte != nullptr ? *byte : -1;
}

} // namespace tovel::test
