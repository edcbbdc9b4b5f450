// The board search of the Advanced menu: probes ports 1..8 in turn at 19200 baud, lists every
// compatible board in the status line and picks the first one.
#pragma once

#include "board/board_session.h"

namespace tovel {

// Returns the port number of the first compatible board found (the caller's new `comPort`), or 0
// when none was found. Every port is probed, also after a board was found. Ports that cannot be
// opened and boards whose short version does not come drop out silently; a port that opens but
// does not answer, and a board with other firmware, are reported as a session reports them.
int searchBoard(BoardSession& session);

} // namespace tovel
