// The result codes of the memory transfer workers, as the handlers read them.
#pragma once

namespace tovel::transfer_result {

inline constexpr int Done = 0;
inline constexpr int Cancelled = 1;
// Programming: the board's polling failed. Blank check: a byte other than 0xFF was found.
inline constexpr int PollingErrorOrNotBlank = 100;
inline constexpr int Failed = -1;

} // namespace tovel::transfer_result
