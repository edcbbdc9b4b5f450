// What became of an operation on the board or the chip, as every front end reads it: the desktop
// program (the operation status), the command line (its exit status and the JSON result) and the
// production runs. Operations decide it where they decide what to tell the person, so nothing
// downstream ever has to read it back out of a message.
#pragma once

namespace tovel {

enum class Outcome {
    Ok,
    Cancelled,      // stopped by the person: Cancel, a stop request, a No that ends the command
    Connection,     // no board chosen, the port cannot be opened, the board did not answer in step
    WrongChip,      // another chip in the socket (signature, AT45 density), and the person stopped
    Locked,         // the chip is read-protected (signature 00 01 02), or stayed so after an erase
    VerifyMismatch, // the chip holds other bytes or lock/fuse bits than expected
    NotBlank,       // the blank check found a byte other than 0xFF
    PollingFailed,  // the board's polling of a write failed
    File,           // an image, project or settings file could not be read or written
    Failed,         // anything else that went wrong
};

} // namespace tovel
