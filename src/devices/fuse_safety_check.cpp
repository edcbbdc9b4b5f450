#include "devices/fuse_safety_check.h"

#include <string_view>

namespace tovel {

namespace {

bool isTicked(const LockFuseSettings& settings, int index) {
    return settings.fuse[static_cast<std::size_t>(index)] != 0;
}

// CKSEL3..0 all programmed (0000) selects an external clock: a crystal will no longer run the chip.
bool selectsExternalClockOnly(const FuseLayout& layout, const LockFuseSettings& settings) {
    constexpr std::string_view kClockSelect[] = {"CKSEL0", "CKSEL1", "CKSEL2", "CKSEL3"};
    if (layout.fuseCount < 4) return false;
    for (int i = 0; i < 4; ++i) {
        const char* name = layout.fuseBits[static_cast<std::size_t>(i)].name;
        if (name == nullptr || kClockSelect[i] != name || !isTicked(settings, i)) return false;
    }
    return true;
}

} // namespace

std::optional<std::string> safetyWarning(const FuseLayout& layout, const LockFuseSettings& settings,
                                         const Messages& messages) {
    std::string text = messages.text(msg::FuseSafetyWarningIntro);
    bool warned = false;
    for (int i = 0; i < layout.fuseCount; ++i) {
        const FuseBit& bit = layout.fuseBits[static_cast<std::size_t>(i)];
        const bool ticked = isTicked(settings, i);
        if (bit.required == RequiredState::MustBeUnprogrammed && ticked) {
            text += messages.format(msg::FuseShouldBeUnprogrammed, bit.name);
            warned = true;
        } else if (bit.required == RequiredState::MustBeProgrammed && !ticked) {
            text += messages.format(msg::FuseShouldBeProgrammed, bit.name);
            warned = true;
        }
    }
    if (selectsExternalClockOnly(layout, settings)) {
        text += messages.text(msg::CkselExternalClockWarning);
        warned = true;
    }
    if (!warned) return std::nullopt;
    text += messages.text(msg::ContinueQuestion);
    return text;
}

LockFuseSettings applyRequiredStates(const FuseLayout& layout, LockFuseSettings settings) {
    for (int i = 0; i < layout.fuseCount; ++i) {
        const RequiredState required = layout.fuseBits[static_cast<std::size_t>(i)].required;
        std::uint8_t& flag = settings.fuse[static_cast<std::size_t>(i)];
        if (required == RequiredState::MustBeProgrammed) flag = 1;
        if (required == RequiredState::MustBeUnprogrammed) flag = 0;
    }
    return settings;
}

} // namespace tovel
