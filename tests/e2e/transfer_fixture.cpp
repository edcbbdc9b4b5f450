#include "e2e/transfer_fixture.h"

#include <cstdio>

namespace tovel::test {

std::string TransferTest::sentHex() const {
    std::string hex;
    for (const sim::LoggedByte& entry : host_->log()) {
        if (entry.direction != sim::Direction::HostToBoard) continue;
        char text[4];
        std::snprintf(text, sizeof text, "%02X ", entry.byte);
        hex += text;
    }
    return hex;
}

std::size_t TransferTest::timesSent(const std::string& hex) const {
    const std::string all = sentHex();
    const std::string needle = hex + " ";
    std::size_t count = 0;
    for (std::size_t at = all.find(needle); at != std::string::npos; at = all.find(needle, at + 3)) ++count;
    return count;
}

std::size_t TransferTest::firstSent(const std::string& hex) const {
    const std::size_t at = sentHex().find(hex + " ");
    return at == std::string::npos ? at : at / 3;
}

std::vector<std::string> TransferTest::statusesFrom(const std::string& first) const {
    const std::vector<std::string> all = statuses();
    for (std::size_t i = 0; i < all.size(); ++i)
        if (all[i] == first) return {all.begin() + static_cast<std::ptrdiff_t>(i), all.end()};
    return {};
}

Bytes TransferTest::pattern(std::size_t size, std::uint8_t seed) {
    // Never 0xFF (an erased byte) and never a command byte of the page loads' headers.
    Bytes bytes(size);
    std::uint32_t state = seed;
    for (auto& b : bytes) {
        state = state * 1103515245u + 12345u;
        b = static_cast<std::uint8_t>((state >> 16) % 0x70); // 0x00..0x6F
    }
    return bytes;
}

std::string TransferTest::checksumHex(const Bytes& bytes) {
    unsigned sum = 0;
    for (std::uint8_t b : bytes) sum += b;
    char text[8];
    std::snprintf(text, sizeof text, "%04X", sum & 0xFFFF);
    return text;
}

std::vector<std::string> avrSessionLines(const std::string& operation) {
    return {operation, "Reset strobe... (20 ms)", "Connection accepted"};
}

} // namespace tovel::test
