// The address a Load At merge places a file at. The desktop program asks for it with its Load
// Address dialog, the command line takes it from an option; both use the rules here.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tovel {

// The highest address the dialog's six-character field can hold (hexadecimal FFFFFF).
inline constexpr std::int64_t kMaxLoadAddress = 0xFFFFFF;

enum class LoadAddressRadix { Decimal, Hexadecimal };

// The text the address field shows on opening: the preset (the buffer's size) as "%04X".
std::string loadAddressPresetText(std::int64_t preset);

// The address typed in the field, read like "%d" or "%x": leading blanks and a sign are
// allowed (and "0x" in hexadecimal), reading stops at the first other character, and text
// without digits gives 0. The value is not range-checked here.
std::int64_t parseLoadAddress(std::string_view text, LoadAddressRadix radix);

// Asks for the address, given the preset; nothing means Cancel.
using LoadAddressPrompt = std::function<std::optional<std::int64_t>(std::int64_t preset)>;

} // namespace tovel
