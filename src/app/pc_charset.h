// The character column of the memory previews shows each byte as the classic PC character set
// (code page 437) draws it, the set of the terminal font the dump layout was made for. Typing in
// that column goes the other way.
#pragma once

#include <cstdint>
#include <optional>

namespace tovel::app {

// The character shown for a byte. 0x00 and 0xFF show as a blank, as in the terminal font.
char16_t pcCharacterOf(std::uint8_t byte);

// The byte a typed character stands for; nothing for characters the set lacks and for control
// characters (Enter, Backspace, Tab and Escape are keys, not bytes).
std::optional<std::uint8_t> byteOfPcCharacter(char32_t character);

} // namespace tovel::app
