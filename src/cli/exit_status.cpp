#include "cli/exit_status.h"

#include "cli/cli_texts.h"

#include <cstring>
#include <optional>
#include <string_view>

namespace tovel::cli {

namespace {

struct FailureText {
    unsigned id;
    ExitStatus status;
};

// Status texts and boxes that report a failure, by kind.
constexpr FailureText kFailureTexts[] = {
    // No board, or the link to it failed.
    {msg::SelectComPortOrSearch, ExitStatus::Connection},
    {msg::NoBoardSpecified, ExitStatus::Connection},
    {msg::ConnectionError, ExitStatus::Connection}, // also "Connection error while ..."
    {msg::CannotOpenComPort, ExitStatus::Connection},
    {msg::ErrorConnectingToBoard, ExitStatus::Connection},
    {msg::ConnectionErrorWhileVerifyingSignature, ExitStatus::Connection},
    {msg::ConnectionErrorWhileVerifyingFlash, ExitStatus::Connection},
    {msg::ConnectionErrorWhileVerifyingEeprom, ExitStatus::Connection},
    {msg::ConnectionErrorWhileReadingSignature, ExitStatus::Connection},
    {msg::ConnectionErrorProgrammingLockBits, ExitStatus::Connection},
    {msg::NoBoard, ExitStatus::Connection},
    {msg::BoardNotFound, ExitStatus::Connection},
    {msg::ErrorReadingVersion, ExitStatus::Connection},
    {msg::ErrorReadingSerialNumber, ExitStatus::Connection},
    {msg::UnknownFirmwareVersion, ExitStatus::Connection},
    {msg::VersionConflictDetails, ExitStatus::Connection},
    {msg::VersionConflictNeedUpdateFirmware, ExitStatus::Connection},
    {msg::VersionConflictUpdateWithMenu, ExitStatus::Connection},
    {msg::NoBoardProgramLoaded, ExitStatus::Connection},
    {msg::ProgrammerHasNoFirmware, ExitStatus::Connection},
    {msg::ProgrammerNotReadyUpdateFirmware, ExitStatus::Connection},
    {msg::InternalSyncError, ExitStatus::Connection},
    {msg::ErrorReadingSignature, ExitStatus::Connection},
    {msg::ErrorReadingCalibrationBytes, ExitStatus::Connection},
    {msg::ErrorWhileVersionUpdating, ExitStatus::Connection},
    {msg::UpdateFirmwareVersionFailed, ExitStatus::Connection},
    // Another chip, or a locked one.
    {msg::DeviceLocked, ExitStatus::WrongChip}, // also DeviceLockedStatus: the same text
    {msg::DeviceStillLocked, ExitStatus::WrongChip},
    {msg::ChipNotErasedDeviceLocked, ExitStatus::WrongChip},
    {msg::AT45MemoryNotDetected, ExitStatus::WrongChip}, // also "... (signature as %s)"
    // Verification.
    {msg::FlashVerifyErrorAtByte, ExitStatus::VerifyMismatch},
    {msg::EepromVerifyErrorAtByte, ExitStatus::VerifyMismatch},
    {msg::AutoprogramErrorVerifyingFlash, ExitStatus::VerifyMismatch},
    {msg::AutoprogramErrorVerifyingEeprom, ExitStatus::VerifyMismatch},
    {msg::AutoprogramVerificationFailed, ExitStatus::VerifyMismatch},
    {msg::LockFuseBitsVerifyFailed, ExitStatus::VerifyMismatch},
    // Blank check.
    {msg::BlankCheckFlashNotEmpty, ExitStatus::NotBlank},
    {msg::AutoprogramErrorFlashNotEmpty, ExitStatus::NotBlank},
    // Files.
    {msg::CannotReadFile, ExitStatus::FileError}, // also CannotReadFileStatus: the same text
    {msg::CannotLoadFile, ExitStatus::FileError},
    {msg::CannotSaveFile, ExitStatus::FileError},
    {msg::ErrorHEXFile, ExitStatus::FileError},
    {msg::ErrorReadingProjectFile, ExitStatus::FileError},
    {msg::NotEnoughMemory, ExitStatus::FileError},
    {msg::NoFlashFileSelected, ExitStatus::FileError},
    {msg::NoEepromFileSelected, ExitStatus::FileError},
    {msg::ImageFileTooLarge, ExitStatus::FileError},
    {msg::ImageFileHoldsNoData, ExitStatus::FileError},
    {msg::AutoprogramErrorNoFlashImage, ExitStatus::FileError},
    {msg::AutoprogramErrorNoEepromImage, ExitStatus::FileError},
    {msg::CounterFileChanged, ExitStatus::FileError},
    {msg::CounterFileNotSource, ExitStatus::FileError},
    // Stopped by the person.
    {msg::ProgrammingCancelled, ExitStatus::Cancelled},
    {msg::EepromProgramCancelled, ExitStatus::Cancelled},
    {msg::FlashReadCancelled, ExitStatus::Cancelled},
    {msg::ReadEepromCancelled, ExitStatus::Cancelled},
    {msg::FlashVerificationCancelled, ExitStatus::Cancelled},
    {msg::EepromVerificationCancelled, ExitStatus::Cancelled},
    {msg::BlankCheckCancelled, ExitStatus::Cancelled},
    {msg::OperationCancelled, ExitStatus::Cancelled},
    {msg::EraseOperationTerminated, ExitStatus::Cancelled},
    // Anything else that went wrong.
    {msg::ErrorDuringPolling, ExitStatus::Failure},
    {msg::FlashProgramError, ExitStatus::Failure},
    {msg::ErrorProgrammingFlash, ExitStatus::Failure},
    {msg::ErrorProgrammingEeprom, ExitStatus::Failure},
    {msg::ErrorReadingFlash, ExitStatus::Failure},
    {msg::FlashReadError, ExitStatus::Failure},
    {msg::ErrorReadingEeprom, ExitStatus::Failure},
    {msg::ErrorCheckingFlash, ExitStatus::Failure},
    {msg::BlankCheckError, ExitStatus::Failure},
    {msg::ErrorProgrammingLockFuseBits, ExitStatus::Failure},
    {msg::ErrorProgrammingLockBits, ExitStatus::Failure},
    {msg::DeviceDoesNotHaveEeprom, ExitStatus::Failure},
    {msg::DeviceDoesntHaveEeprom, ExitStatus::Failure},
    {msg::DeviceCannotReadLockFuse, ExitStatus::Failure},
    {msg::AutoprogramErrorErasingDevice, ExitStatus::Failure},
    {msg::AutoprogramErrorCheckingDevice, ExitStatus::Failure},
    {msg::AutoprogramErrorReloadingFlash, ExitStatus::Failure},
    {msg::AutoprogramErrorProgrammingFlash, ExitStatus::Failure},
    {msg::AutoprogramErrorReloadingEeprom, ExitStatus::Failure},
    {msg::AutoprogramErrorProgrammingEeprom, ExitStatus::Failure},
};

// Questions whose No (or Cancel) stops the command, and what that stop means.
constexpr FailureText kDeclinedQuestions[] = {
    {msg::DeviceSignatureDoesNotMatch, ExitStatus::WrongChip},
    {msg::DeviceSignatureDoesNotMatchEraseQuestion, ExitStatus::WrongChip},
    {msg::DeviceLockedEraseNow, ExitStatus::WrongChip},
    {msg::AT45MemorySignatureFailedContinue, ExitStatus::WrongChip},
    {msg::OnlyFirstBytesProcessed, ExitStatus::FileError}, // the image is larger than the chip
    {msg::FuseSafetyWarningIntro, ExitStatus::Cancelled},
};

// Whether `text` is the catalogue text `id` (a formatted one: starts with the part before its first
// conversion). Texts that the core extends with details (the verify report) match by their start.
bool isCatalogueText(const std::string& text, unsigned id, const Messages& messages) {
    const char* catalogue = messages.text(id);
    const char* conversion = std::strchr(catalogue, '%');
    const std::string_view fixed(catalogue, conversion != nullptr
                                                ? static_cast<std::size_t>(conversion - catalogue)
                                                : std::strlen(catalogue));
    return !fixed.empty() && std::string_view(text).starts_with(fixed);
}

std::optional<ExitStatus> failureOf(const ReportedEvent& event, const Messages& messages) {
    if (event.kind == ReportedEvent::Kind::Question) {
        if (event.answer != Answer::No && event.answer != Answer::Cancel) return std::nullopt;
        for (const FailureText& entry : kDeclinedQuestions)
            if (isCatalogueText(event.text, entry.id, messages)) return entry.status;
        return std::nullopt;
    }
    for (const FailureText& entry : kFailureTexts)
        if (isCatalogueText(event.text, entry.id, messages)) return entry.status;
    return std::nullopt;
}

} // namespace

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

std::optional<ExitStatus> firstFailure(const std::vector<ReportedEvent>& events, const Messages& messages) {
    for (const ReportedEvent& event : events)
        if (const std::optional<ExitStatus> status = failureOf(event, messages)) return status;
    return std::nullopt;
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

ExitStatus classifyFailure(const std::vector<ReportedEvent>& events, const Messages& messages) {
    return firstFailure(events, messages).value_or(ExitStatus::Failure);
}

std::optional<ExitStatus> failureAfter(const std::vector<ReportedEvent>& events, unsigned markerId,
                                       const Messages& messages) {
    bool afterMarker = false;
    for (const ReportedEvent& event : events) {
        if (!afterMarker) {
            afterMarker =
                event.kind == ReportedEvent::Kind::Status && isCatalogueText(event.text, markerId, messages);
            continue;
        }
        if (const std::optional<ExitStatus> status = failureOf(event, messages)) return status;
    }
    return std::nullopt;
}

} // namespace tovel::cli
