// How a failed run's exit status is told from what the core reported: the first failure decides,
// declined questions count by what they stopped, and the texts are matched in either language.
#include <gtest/gtest.h>

#include "cli/exit_status.h"

namespace tovel::cli {
namespace {

using Kind = ReportedEvent::Kind;

ReportedEvent status(const Messages& m, unsigned id) { return {Kind::Status, {}, m.text(id)}; }
ReportedEvent box(std::string text) { return {Kind::Box, "Tovel/Tovel-U Programmer", std::move(text)}; }
ReportedEvent question(const Messages& m, unsigned id, Answer answer) {
    return {Kind::Question, m.text(msg::QuestionCaption), m.text(id), answer};
}

TEST(CliExitStatus, EachKindOfFailureHasItsStatus) {
    const Messages m;
    struct Case {
        std::vector<ReportedEvent> events;
        ExitStatus expected;
    };
    const Case cases[] = {
        {{status(m, msg::ProgrammingFlash), status(m, msg::SelectComPortOrSearch),
          box(m.text(msg::NoBoardSpecified))},
         ExitStatus::Connection},
        {{status(m, msg::ReadingFlash), box(m.text(msg::CannotOpenComPort))}, ExitStatus::Connection},
        {{status(m, msg::VerifyingFlash), status(m, msg::ConnectionErrorWhileVerifyingFlash)},
         ExitStatus::Connection},
        {{status(m, msg::ReadingSignature), status(m, msg::DeviceLockedStatus)}, ExitStatus::WrongChip},
        {{status(m, msg::ErasingDevice), status(m, msg::ChipNotErasedDeviceLocked),
          box(m.text(msg::DeviceStillLocked))},
         ExitStatus::WrongChip},
        {{{Kind::Status, {}, m.format(msg::AT45MemoryNotDetectedSignature, "ATmega8")}},
         ExitStatus::WrongChip},
        {{{Kind::Status, {}, m.format(msg::FlashVerifyErrorAtByte, 291, 291u)}}, ExitStatus::VerifyMismatch},
        {{box(std::string(m.text(msg::LockFuseBitsVerifyFailed)) +
              m.format(msg::LockModeShould, "LB1", "No locking"))},
         ExitStatus::VerifyMismatch},
        {{status(m, msg::BlankCheckFlashNotEmpty)}, ExitStatus::NotBlank},
        {{box(m.format(msg::CannotReadFile, "/tmp/missing.hex"))}, ExitStatus::FileError},
        {{box(m.format(msg::ErrorReadingProjectFile, "job.tvl"))}, ExitStatus::FileError},
        {{status(m, msg::FlashReadCancelled)}, ExitStatus::Cancelled},
        {{status(m, msg::ErrorDuringPolling), box(m.text(msg::ErrorDuringPolling))}, ExitStatus::Failure},
        {{status(m, msg::ProgrammingFlash), status(m, msg::ConnectionAccepted)},
         ExitStatus::Failure}, // none known
        {{}, ExitStatus::Failure},
    };
    for (const Case& c : cases) EXPECT_EQ(classifyFailure(c.events, m), c.expected) << c.events.back().text;
}

TEST(CliExitStatus, TheFirstFailureWinsOverWhatFollowsFromIt) {
    const Messages m;
    // Auto-program's own failure text follows the step's: the step's cause is what counts.
    EXPECT_EQ(classifyFailure({status(m, msg::ConnectionErrorWhileVerifyingFlash),
                               status(m, msg::AutoprogramErrorVerifyingFlash)},
                              m),
              ExitStatus::Connection);
    EXPECT_EQ(classifyFailure(
                  {box(m.text(msg::DeviceStillLocked)), status(m, msg::AutoprogramErrorErasingDevice)}, m),
              ExitStatus::WrongChip);
    EXPECT_EQ(classifyFailure({status(m, msg::Pausing), status(m, msg::AutoprogramErrorVerifyingFlash)}, m),
              ExitStatus::VerifyMismatch);
}

TEST(CliExitStatus, DeclinedQuestionsCountByWhatTheyStopped) {
    const Messages m;
    // Declining to program another chip ends with "Programming cancelled": a wrong chip, not a cancel.
    EXPECT_EQ(classifyFailure({question(m, msg::DeviceSignatureDoesNotMatch, Answer::No),
                               status(m, msg::ProgrammingCancelled)},
                              m),
              ExitStatus::WrongChip);
    EXPECT_EQ(classifyFailure({question(m, msg::DeviceLockedEraseNow, Answer::No)}, m),
              ExitStatus::WrongChip);
    EXPECT_EQ(classifyFailure({{Kind::Question, "", m.format(msg::OnlyFirstBytesProcessed, 8192, "Flash"),
                                Answer::Cancel},
                               status(m, msg::ProgrammingCancelled)},
                              m),
              ExitStatus::Cancelled); // declining to cut the image is a cancel, not a file error
    EXPECT_EQ(classifyFailure({{Kind::Question, "Warning",
                                std::string(m.text(msg::FuseSafetyWarningIntro)) + "...", Answer::No}},
                              m),
              ExitStatus::Cancelled);
    // Answered Yes, the question is no failure: the cancel after it is.
    EXPECT_EQ(classifyFailure({question(m, msg::DeviceSignatureDoesNotMatch, Answer::Yes),
                               status(m, msg::ProgrammingCancelled)},
                              m),
              ExitStatus::Cancelled);
}

TEST(CliExitStatus, RussianTextsAreRecognisedToo) {
    const Messages ru(Language::Russian);
    EXPECT_EQ(classifyFailure({status(ru, msg::ConnectionError)}, ru), ExitStatus::Connection);
    EXPECT_EQ(classifyFailure({{Kind::Status, {}, ru.format(msg::EepromVerifyErrorAtByte, 3, 3u)}}, ru),
              ExitStatus::VerifyMismatch);
    EXPECT_EQ(describeOutcome(ExitStatus::NotBlank, Language::Russian), "Flash не чиста");
}

TEST(CliExitStatus, FailureAfterAMarkerIgnoresWhatCameBefore) {
    const Messages m;
    // Auto-program ends DONE although its lock bits failed; a production line must see that.
    const std::vector<ReportedEvent> events{box(m.text(msg::ErrorReadingSignature)), status(m, msg::LockBits),
                                            box(m.text(msg::ErrorProgrammingLockFuseBits)),
                                            status(m, msg::AutoprogramDoneNothing)};
    EXPECT_EQ(failureAfter(events, msg::LockBits, m), ExitStatus::Failure);
    EXPECT_FALSE(
        failureAfter({box(m.text(msg::ErrorReadingSignature)), status(m, msg::LockBits)}, msg::LockBits, m));
    EXPECT_FALSE(failureAfter({box(m.text(msg::ConnectionError))}, msg::LockBits, m));
}

TEST(CliExitStatus, OutcomeNamesForScripts) {
    EXPECT_STREQ(outcomeName(ExitStatus::Success), "ok");
    EXPECT_STREQ(outcomeName(ExitStatus::VerifyMismatch), "verify-mismatch");
    EXPECT_EQ(code(ExitStatus::Cancelled), 8);
}

} // namespace
} // namespace tovel::cli
