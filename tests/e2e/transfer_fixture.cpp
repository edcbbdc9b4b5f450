#include "e2e/transfer_fixture.h"

#include <cstdio>

#include "support/sent_bytes.h"

namespace tovel::test {

std::string TransferTest::sentHex() const { return sentHexOf(*host_); }

std::size_t TransferTest::timesSent(const std::string& hex) const { return countHex(sentHex(), hex); }

std::size_t TransferTest::firstSent(const std::string& hex) const { return findHex(sentHex(), hex); }

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
