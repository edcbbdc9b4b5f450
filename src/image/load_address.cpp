#include "image/load_address.h"

#include <cctype>
#include <cstdio>

namespace tovel {

std::string loadAddressPresetText(std::int64_t preset) {
    char text[24];
    std::snprintf(text, sizeof text, "%04llX", static_cast<unsigned long long>(preset));
    return text;
}

std::int64_t parseLoadAddress(std::string_view text, LoadAddressRadix radix) {
    const unsigned base = radix == LoadAddressRadix::Hexadecimal ? 16 : 10;
    std::size_t at = 0;
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
    if (base == 16 && at + 2 < text.size() && text[at] == '0' &&
        (text[at + 1] == 'x' || text[at + 1] == 'X') &&
        std::isxdigit(static_cast<unsigned char>(text[at + 2])))
        at += 2;
    std::int64_t value = 0;
    for (; at < text.size(); ++at) {
        const auto c = static_cast<unsigned char>(text[at]);
        unsigned digit = 0;
        if (std::isdigit(c))
            digit = c - '0';
        else if (base == 16 && std::isxdigit(c))
            digit = static_cast<unsigned>(std::toupper(c) - 'A' + 10);
        else
            break;
        // Far beyond any usable address; stop growing rather than overflow.
        if (value < (std::int64_t{1} << 40)) value = value * base + digit;
    }
    return negative ? -value : value;
}

} // namespace tovel
