// Read Signature (menu command 32777 and the "Read signature" button 1103): reads the chip's three
// signature bytes at 19200 baud with the command set of the selected device and names the chip
// on the status line, switching the selection when it is another device of the table. The
// operation status is left alone.
#pragma once

namespace tovel {

struct ChipContext;

void readSignature(ChipContext& context);

// The button: for an AT45 DataFlash a session is opened and ended (opening it reports whether
// the chip was detected); for AT89S parts that cannot give their signature, nothing; otherwise
// readSignature.
void readSignatureButton(ChipContext& context);

} // namespace tovel
