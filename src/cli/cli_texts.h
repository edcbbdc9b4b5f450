// The command line's own texts, in English and Russian: its help, usage errors, the prompts of
// the production loop, and the lines of its listings. Everything the core says comes from the
// message catalogue; these are only what a terminal front end adds around it.
#pragma once

#include <string>

#include "i18n/messages.h"

namespace tovel::cli {

enum class CliText {
    Help,
    UsageHint,
    UnknownOption,
    MissingValue,
    BadValue,
    UnknownCommand,
    NoCommand,
    CommandUsage,
    UnknownDevice,
    OptionNotForCommand,
    ConflictingOptions,
    NotForDevice,
    NeedsProject,
    TwoProjects,
    SettingsUnreadable,
    TemporaryFolderUnusable,
    SimulatorFailed,
    AnswerYes,
    AnswerNo,
    AnswerOk,
    AnswerCancel,
    FailedWith,
    OutcomeFailure,
    OutcomeConnection,
    OutcomeWrongChip,
    OutcomeVerifyMismatch,
    OutcomeVerifyMismatchAt,
    OutcomeNotBlank,
    OutcomeFileError,
    OutcomeCancelled,
    ChipPrompt,
    ChipPassed,
    ChipFailed,
    LoopSummary,
    SaveCounterQuestion,
    LogUnwritable,
    PowerCyclePrompt,
    FirmwareVersions,
    DevicesHeader,
    LockLevel,
    BootLockBits,
    FuseBits,
    FuseBytes,
    BitProgrammed,
    BitUnprogrammed,
    PortsHeader,
    PortReadWrite,
    PortNoAccess,
    NoPorts,
    PermissionHint,
    Interrupted,
    DoctorHint,
    TraceUnwritable,
    OptionNeedsOption,
    NotForGang,
    GangHeader,
    GangPassed,
    GangFailed,
    GangSummary,
    SerialStoreFailed,
    SerialsNeedStore,
    WaitingForChip,
    ChipInserted,
    RemoveChip,
};

// The text in `language`; printf-style where the text has conversions.
const char* cliText(CliText id, Language language);
std::string formatCliText(Language language, CliText id, ...);

} // namespace tovel::cli
