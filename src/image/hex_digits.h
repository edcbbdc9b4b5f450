// Hexadecimal digits as both text formats (Intel HEX, S-records) read and write them.
#pragma once

#include <array>
#include <cstdint>

namespace tovel::hex_digits {

// The value of a digit character, either case; -1 for any other byte.
constexpr std::array<std::int16_t, 256> makeDigitValues() {
    std::array<std::int16_t, 256> values{};
    for (int c = 0; c < 256; ++c) {
        if (c >= '0' && c <= '9')
            values[c] = static_cast<std::int16_t>(c - '0');
        else if (c >= 'a' && c <= 'f')
            values[c] = static_cast<std::int16_t>(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F')
            values[c] = static_cast<std::int16_t>(c - 'A' + 10);
        else
            values[c] = -1;
    }
    return values;
}
inline constexpr std::array<std::int16_t, 256> kDigitValue = makeDigitValues();

// Two upper-case digits a byte value, looked up rather than computed: the encoders' inner loop.
constexpr std::array<char, 512> makeDigitPairs() {
    constexpr char digits[] = "0123456789ABCDEF";
    std::array<char, 512> pairs{};
    for (int value = 0; value < 256; ++value) {
        pairs[2 * value] = digits[value >> 4];
        pairs[2 * value + 1] = digits[value & 15];
    }
    return pairs;
}
inline constexpr std::array<char, 512> kDigitPairs = makeDigitPairs();

// Writes `value` as two digits at `out`; returns the position after them.
inline char* writePair(char* out, std::uint8_t value) {
    out[0] = kDigitPairs[2 * value];
    out[1] = kDigitPairs[2 * value + 1];
    return out + 2;
}

} // namespace tovel::hex_digits
