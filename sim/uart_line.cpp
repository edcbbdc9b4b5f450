#include "sim/uart_line.h"

namespace tovel::sim {

std::uint64_t wireTimeUs(std::size_t bytes, int baud) {
    if (baud <= 0) return 0;
    return static_cast<std::uint64_t>(bytes) * 10'000'000ull / static_cast<std::uint64_t>(baud);
}

namespace {

// The sender's waveform: idle high, then per byte a low start bit, eight data bits (least
// significant first) and a high stop bit, then idle high again.
class Waveform {
public:
    explicit Waveform(std::span<const std::uint8_t> bytes) : bytes_(bytes), bits_(bytes.size() * 10) {}
    std::uint64_t bitCount() const { return bits_; }
    int bitLevel(std::uint64_t index) const {
        if (index >= bits_) return 1;
        const unsigned position = static_cast<unsigned>(index % 10);
        if (position == 0) return 0;
        if (position == 9) return 1;
        return (bytes_[static_cast<std::size_t>(index / 10)] >> (position - 1)) & 1;
    }

private:
    std::span<const std::uint8_t> bytes_;
    std::uint64_t bits_;
};

} // namespace

std::vector<std::uint8_t> decodeAtSpeed(std::span<const std::uint8_t> sent, int senderBaud,
                                        int receiverBaud) {
    if (sent.empty() || senderBaud <= 0 || receiverBaud <= 0) return {};
    if (senderBaud == receiverBaud) return {sent.begin(), sent.end()};

    // Time unit 1 / (16 * senderBaud * receiverBaud) s: a sender bit is 16 * receiverBaud units
    // long, and the receiver samples every senderBaud units (16 samples a bit).
    const Waveform wave(sent);
    const std::uint64_t senderBit = 16ull * static_cast<std::uint64_t>(receiverBaud);
    const std::uint64_t step = static_cast<std::uint64_t>(senderBaud);
    auto level = [&](std::uint64_t t) { return wave.bitLevel(t / senderBit); };

    std::vector<std::uint8_t> received;
    std::uint64_t t = 0;
    bool first = true;
    for (;;) {
        // A start bit is a falling edge after the last sample; the line was idle (high) before
        // the first byte. Levels only change on sender bit boundaries.
        std::uint64_t bit = first ? 0 : t / senderBit + 1;
        while (bit < wave.bitCount() &&
               !(wave.bitLevel(bit) == 0 && (bit == 0 || wave.bitLevel(bit - 1) == 1)))
            ++bit;
        if (bit >= wave.bitCount()) break;
        first = false;
        const std::uint64_t start = bit * senderBit;
        if (level(start + 8 * step) != 0) { // a glitch, not a start bit
            t = start + 8 * step;
            continue;
        }
        std::uint8_t value = 0;
        for (unsigned k = 0; k < 8; ++k)
            if (level(start + (16 * (k + 1) + 8) * step))
                value = static_cast<std::uint8_t>(value | (1u << k));
        const std::uint64_t stopSample = start + (16 * 9 + 8) * step;
        received.push_back(level(stopSample) ? value : 0x00);
        t = stopSample;
    }
    return received;
}

} // namespace tovel::sim
