// The signature check Program Flash runs on its open session before it writes: is the chip in
// the socket the one selected, a different one, or a locked one, and does the person want to go
// on. compareSignature is also the building block of the other signature checks.
#pragma once

namespace tovel {

struct ChipContext;
class OperationFrame;

// Reads the signature on the open session (AVR instruction) into the shared last signature and
// sets the operation status: 0 the selected device, 1 another device, 2 locked (00 01 02), -1
// unreadable (after the box "Error reading signature"). The selection is never changed.
void compareSignature(ChipContext& context);

enum class GateOutcome { GoOn, Stop };

// Runs only for a device other than AT45 with the project's signature check on; otherwise GoOn.
// On Stop the frame's session has been ended and the person told; the handler just returns.
// A locked chip may be erased here at the person's request (no signature check follows).
GateOutcome runSignatureGate(ChipContext& context, OperationFrame& frame);

} // namespace tovel
