// Guards against fuse settings that would lock the person out of the chip: RSTDISBL or DWEN
// programmed, SPIEN unprogrammed (each named with what follows), other fuse bits that must keep a
// given state, AT89S lock levels that stop reading, and a clock selection that only works with an
// external clock.
#pragma once

#include <optional>
#include <string>

#include "core/user_interface.h"
#include "devices/fuse_layout.h"
#include "devices/lock_fuse_settings.h"
#include "i18n/messages.h"

namespace tovel {

// The warning to put to the person (as a Yes/No question titled msg::Warning) before these fuse
// settings are programmed or saved, ending with the "Continue?" line; nothing when all is safe.
std::optional<std::string> safetyWarning(const FuseLayout& layout, const LockFuseSettings& settings,
                                         const Messages& messages);

// Asks the person (No by default) before `settings` are written, when safetyWarning has a
// warning for them. True when they may be written.
bool confirmLockFuseSettings(const FuseLayout& layout, const LockFuseSettings& settings,
                             const Messages& messages, UserInterface& ui);

// The settings with every fuse bit that has a required state forced to it, and SPIEN programmed.
LockFuseSettings applyRequiredStates(const FuseLayout& layout, LockFuseSettings settings);

} // namespace tovel
