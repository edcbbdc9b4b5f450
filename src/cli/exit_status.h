// The exit status of tovelisp-cli, so that a script can tell every kind of failure apart, and how
// it is derived from what an operation reported (its status texts, boxes and the answers given)
// when the operation did not succeed. The first failure reported decides, as on a real bench the
// first error is the one that matters.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/user_interface.h"
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

// The outcome's name in the JSON result: "ok", "failed", "usage", "connection", "wrong-chip",
// "verify-mismatch", "not-blank", "file", "cancelled".
const char* outcomeName(ExitStatus status);

// The outcome in words, for the person's summary ("OK" for success).
std::string describeOutcome(ExitStatus status, Language language);

// One thing the core told the person, in order.
struct ReportedEvent {
    enum class Kind { Status, Box, Question };
    Kind kind = Kind::Status;
    std::string caption;
    std::string text;
    Answer answer = Answer::No; // questions only
};

// The kind of the first failure among `events` (texts in the language of `messages`); nothing when
// none of them is a known failure text.
std::optional<ExitStatus> firstFailure(const std::vector<ReportedEvent>& events, const Messages& messages);
// As firstFailure, with Failure when nothing known was reported.
ExitStatus classifyFailure(const std::vector<ReportedEvent>& events, const Messages& messages);

// The first failure reported after the status text `markerId` (for a step that the core lets fail
// without failing the whole run, as the lock bits of auto-program); nothing when none was.
std::optional<ExitStatus> failureAfter(const std::vector<ReportedEvent>& events, unsigned markerId,
                                       const Messages& messages);

} // namespace tovel::cli
