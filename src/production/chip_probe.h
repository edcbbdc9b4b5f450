// Whether a chip sits in a board's socket: a short programming session at 19200 baud that reads
// the signature. The hands-free loop calls it every half second, so it says nothing to the person.
#pragma once

#include <optional>

#include "board/board_session.h"

namespace tovel {

class Workbench;

// The signature of the chip in the socket; nothing when the board could not be reached or the
// socket is empty (an empty socket answers FF FF FF or 00 00 00). A locked chip (00 01 02)
// counts as a chip.
std::optional<Signature> probeChip(Workbench& board);

// "1E 97 02".
std::string signatureText(const Signature& signature);

} // namespace tovel
