// Guards against fuse settings that would lock the person out of the chip: fuse bits that must
// keep a given state for serial programming to keep working, and a clock selection that only
// works with an external clock.
#pragma once

#include <optional>
#include <string>

#include "devices/fuse_layout.h"
#include "devices/lock_fuse_settings.h"
#include "i18n/messages.h"

namespace tovel {

// The warning to put to the person (as a Yes/No question titled msg::Warning) before these fuse
// settings are programmed or saved, ending with the "Continue?" line; nothing when all is safe.
std::optional<std::string> safetyWarning(const FuseLayout& layout, const LockFuseSettings& settings,
                                         const Messages& messages);

// The settings with every fuse bit that has a required state forced to it.
LockFuseSettings applyRequiredStates(const FuseLayout& layout, LockFuseSettings settings);

} // namespace tovel
