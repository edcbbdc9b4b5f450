// How a run's outcome becomes the exit status a script sees: one table, the same in every language.
#include <gtest/gtest.h>

#include "cli/exit_status.h"

namespace tovel::cli {
namespace {

TEST(CliExitStatus, EachOutcomeHasItsStatus) {
    const struct {
        Outcome outcome;
        int exit;
        const char* name;
    } cases[] = {
        {Outcome::Ok, 0, "ok"},
        {Outcome::Failed, 1, "failed"},
        {Outcome::PollingFailed, 1, "failed"}, // the board's polling: no kind of its own for scripts
        {Outcome::Connection, 3, "connection"},
        {Outcome::WrongChip, 4, "wrong-chip"},
        {Outcome::Locked, 4, "wrong-chip"}, // a locked chip is not the chip the job can use
        {Outcome::VerifyMismatch, 5, "verify-mismatch"},
        {Outcome::NotBlank, 6, "not-blank"},
        {Outcome::File, 7, "file"},
        {Outcome::Cancelled, 8, "cancelled"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(code(exitStatusOf(c.outcome)), c.exit) << c.name;
        EXPECT_STREQ(outcomeName(exitStatusOf(c.outcome)), c.name);
    }
}

TEST(CliExitStatus, SummariesInEitherLanguage) {
    EXPECT_EQ(describeOutcome(ExitStatus::NotBlank, Language::Russian), "Flash не чиста");
    EXPECT_EQ(describeOutcome(ExitStatus::Success, Language::Russian), "OK");
    EXPECT_EQ(describeOutcome(ExitStatus::Connection, Language::English), "no board, or a connection error");
}

TEST(CliExitStatus, OutcomeNamesForScripts) {
    EXPECT_STREQ(outcomeName(ExitStatus::Success), "ok");
    EXPECT_STREQ(outcomeName(ExitStatus::VerifyMismatch), "verify-mismatch");
    EXPECT_STREQ(outcomeName(ExitStatus::Usage), "usage");
    EXPECT_EQ(code(ExitStatus::Cancelled), 8);
}

} // namespace
} // namespace tovel::cli
