// Read Signature (menu command 32777 and the "Read signature" button 1103): reads the chip's three
// signature bytes at 19200 baud with the command set of the selected device and names the chip
// on the status line, switching the selection when it is another device of the table. The
// operation status is left alone. Ok when a signature was read (which chip it names is the
// caller's to judge), Locked for 00 01 02.
#pragma once

#include <cstdint>

#include "board/board_session.h"
#include "core/outcome.h"
#include "devices/device_table.h"

namespace tovel {

struct ChipContext;
class SerialChannel;

// Whether the device's command set has a signature read: AVR parts and the 4-byte AT89S parts.
// The 3-byte AT89S parts have none; what they answer to the AVR instruction is no signature.
bool hasOwnSignatureRead(const DeviceRecord& device);

// The three bytes with the device's command set on the open session; bytes not read stay 0xFF.
// False at the first missing reply.
bool readSignatureOf(SerialChannel& channel, const DeviceRecord& device, Signature& signature);

Outcome readSignature(ChipContext& context);

// The button: for an AT45 DataFlash a session is opened and ended (opening it reports whether
// the chip was detected: Ok, or WrongChip); for AT89S parts that cannot give their signature,
// nothing (Ok); otherwise readSignature.
Outcome readSignatureButton(ChipContext& context);

} // namespace tovel
