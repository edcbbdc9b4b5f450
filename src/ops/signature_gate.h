// The signature check Program Flash runs on its open session before it writes: is the chip in
// the socket the one selected, a different one, or a locked one, and does the person want to go
// on. compareSignature is also the building block of the other signature checks.
#pragma once

#include "core/outcome.h"

namespace tovel {

struct ChipContext;
class OperationFrame;

// Reads the signature on the open session (AVR instruction) into the shared last signature and
// returns, and keeps as the operation status: Ok the selected device, WrongChip another device,
// Locked (00 01 02), Connection unreadable (after the box "Error reading signature"). The
// selection is never changed.
Outcome compareSignature(ChipContext& context);

// Runs only for a device other than AT45 with the project's signature check on; otherwise Ok.
// Ok: go on. Anything else stops the handler with that outcome: the frame's session has been
// ended and the person told; the handler just returns it. A locked chip may be erased here at the
// person's request (no signature check follows).
Outcome runSignatureGate(ChipContext& context, OperationFrame& frame);

} // namespace tovel
