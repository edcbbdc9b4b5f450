// One rung's result in the connection doctor: what was checked, what was found and what to do.
// Texts are catalogue ids with their arguments (all given as text), so that each front end shows
// them in the person's language.
#pragma once

#include <string>
#include <vector>

#include "i18n/messages.h"

namespace tovel::doctor {

enum class CheckState { Ok, Warn, Fail };

struct DoctorText {
    unsigned id = 0;
    std::vector<std::string> args; // every placeholder of the row is %s
    unsigned nestedId = 0;         // when set, this row's text fills the last argument
};

struct DoctorCheck {
    CheckState state = CheckState::Ok;
    std::string key; // stable name for scripts: "port", "access", "holders", "adapter", "latency",
                     // "open", "board", "firmware", "link-speed", "chip", "summary"
    unsigned nameId = 0;
    DoctorText finding;
    std::vector<DoctorText> advice;
};

// What the ladder says in the end, as the command line's exit status reads it.
enum class DoctorVerdict {
    Works,       // the board and the chip answer (warnings may remain)
    PortOrBoard, // the port or the board failed
    Chip,        // the chip does not identify
    Cancelled,   // stopped on request before the end
};

struct DoctorReport {
    std::vector<DoctorCheck> checks; // the summary last
    DoctorVerdict verdict = DoctorVerdict::PortOrBoard;
};

// The text in the language of `messages`.
std::string render(const DoctorText& text, const Messages& messages);
// "ok", "warn", "fail" in the language of `messages`.
std::string stateName(CheckState state, const Messages& messages);
// "ok", "warn", "fail" for scripts.
const char* stateKey(CheckState state);

} // namespace tovel::doctor
