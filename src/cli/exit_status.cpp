#include "cli/exit_status.h"

#include "cli/cli_texts.h"

namespace tovel::cli {

const char* outcomeName(ExitStatus status) {
    switch (status) {
    case ExitStatus::Success:
        return "ok";
    case ExitStatus::Failure:
        return "failed";
    case ExitStatus::Usage:
        return "usage";
    case ExitStatus::Connection:
        return "connection";
    case ExitStatus::WrongChip:
        return "wrong-chip";
    case ExitStatus::VerifyMismatch:
        return "verify-mismatch";
    case ExitStatus::NotBlank:
        return "not-blank";
    case ExitStatus::FileError:
        return "file";
    case ExitStatus::Cancelled:
        return "cancelled";
    }
    return "failed";
}

// The one place an outcome becomes an exit status (a switch, so that the compiler sees every
// outcome has one).
ExitStatus exitStatusOf(Outcome outcome) {
    switch (outcome) {
    case Outcome::Ok:
        return ExitStatus::Success;
    case Outcome::Cancelled:
        return ExitStatus::Cancelled;
    case Outcome::Connection:
        return ExitStatus::Connection;
    case Outcome::WrongChip:
    case Outcome::Locked:
        return ExitStatus::WrongChip;
    case Outcome::VerifyMismatch:
        return ExitStatus::VerifyMismatch;
    case Outcome::NotBlank:
        return ExitStatus::NotBlank;
    case Outcome::File:
        return ExitStatus::FileError;
    case Outcome::PollingFailed:
    case Outcome::Failed:
        break;
    }
    return ExitStatus::Failure;
}

std::string describeOutcome(ExitStatus status, Language language) {
    switch (status) {
    case ExitStatus::Success:
        return "OK";
    case ExitStatus::Connection:
        return cliText(CliText::OutcomeConnection, language);
    case ExitStatus::WrongChip:
        return cliText(CliText::OutcomeWrongChip, language);
    case ExitStatus::VerifyMismatch:
        return cliText(CliText::OutcomeVerifyMismatch, language);
    case ExitStatus::NotBlank:
        return cliText(CliText::OutcomeNotBlank, language);
    case ExitStatus::FileError:
        return cliText(CliText::OutcomeFileError, language);
    case ExitStatus::Cancelled:
        return cliText(CliText::OutcomeCancelled, language);
    case ExitStatus::Failure:
    case ExitStatus::Usage:
        break;
    }
    return cliText(CliText::OutcomeFailure, language);
}

} // namespace tovel::cli
