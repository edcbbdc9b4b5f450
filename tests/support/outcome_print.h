// Outcomes by name in test failures ("expected: Outcome::Locked"), not as raw bytes.
#pragma once

#include <ostream>

#include "core/outcome.h"

namespace tovel {

inline const char* outcomeText(Outcome outcome) {
    switch (outcome) {
    case Outcome::Ok:
        return "Outcome::Ok";
    case Outcome::Cancelled:
        return "Outcome::Cancelled";
    case Outcome::Connection:
        return "Outcome::Connection";
    case Outcome::WrongChip:
        return "Outcome::WrongChip";
    case Outcome::Locked:
        return "Outcome::Locked";
    case Outcome::VerifyMismatch:
        return "Outcome::VerifyMismatch";
    case Outcome::NotBlank:
        return "Outcome::NotBlank";
    case Outcome::PollingFailed:
        return "Outcome::PollingFailed";
    case Outcome::File:
        return "Outcome::File";
    case Outcome::Failed:
        return "Outcome::Failed";
    }
    return "Outcome(?)";
}

inline void PrintTo(Outcome outcome, std::ostream* out) { *out << outcomeText(outcome); }

} // namespace tovel
