// The exit status of tovelisp-cli, so that a script can tell every kind of failure apart, and the
// one table that turns an operation's outcome into it. Texts never take part: the same run exits
// with the same status in every language.
#pragma once

#include <string>

#include "core/outcome.h"
#include "i18n/messages.h"

namespace tovel::cli {

enum class ExitStatus : int {
    Success = 0,
    Failure = 1,        // any other failure
    Usage = 2,          // the command line was wrong
    Connection = 3,     // no board chosen or found, the port cannot be opened, the board did not answer
    WrongChip = 4,      // signature mismatch, locked chip, DataFlash not detected
    VerifyMismatch = 5, // Flash, EEPROM or lock/fuse bits differ from what was expected
    NotBlank = 6,       // the blank check found data
    FileError = 7,      // an image, project or settings file could not be read or written
    Cancelled = 8,      // Ctrl-C, or a No answer stopped the command
};

inline int code(ExitStatus status) { return static_cast<int>(status); }

// The exit status of an operation's outcome.
ExitStatus exitStatusOf(Outcome outcome);

// The outcome's name in the JSON result: "ok", "failed", "usage", "connection", "wrong-chip",
// "verify-mismatch", "not-blank", "file", "cancelled".
const char* outcomeName(ExitStatus status);

// The outcome in words, for the person's summary ("OK" for success).
std::string describeOutcome(ExitStatus status, Language language);

} // namespace tovel::cli
