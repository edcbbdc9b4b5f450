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

// Fuse settings that take serial programming away, by the bit's name: the warning line that says
// what follows, or 0 when this bit in this state is harmless.
unsigned serialAccessWarning(std::string_view name, bool programmed) {
    if (name == "RSTDISBL" && programmed) return msg::SerialAccessRstdisbl;
    if (name == "SPIEN" && !programmed) return msg::SerialAccessSpien;
    if (name == "DWEN" && programmed) return msg::SerialAccessDwen;
    return 0;
}

// AT89S lock levels from LB1+LB2 on stop the chip's memory being read back.
bool lockLevelBlocksReading(const FuseLayout& layout, const LockFuseSettings& settings) {
    const bool at89 = layout.lockScheme == LockScheme::Stepped || layout.lockScheme == LockScheme::ThreeByte;
    return at89 && settings.lockMode >= 2;
}

const char* at89LockLevelName(int lockMode) { return lockMode >= 3 ? "LB1+LB2+LB3" : "LB1+LB2"; }

} // namespace

std::optional<std::string> safetyWarning(const FuseLayout& layout, const LockFuseSettings& settings,
                                         const Messages& messages) {
    std::string text = messages.text(msg::FuseSafetyWarningIntro);
    bool warned = false;
    for (int i = 0; i < layout.fuseCount; ++i) {
        const FuseBit& bit = layout.fuseBits[static_cast<std::size_t>(i)];
        const bool ticked = isTicked(settings, i);
        if (const unsigned line = serialAccessWarning(bit.name, ticked); line != 0) {
            text += messages.text(line);
            warned = true;
        } else if (bit.required == RequiredState::MustBeUnprogrammed && ticked) {
            text += messages.format(msg::FuseShouldBeUnprogrammed, bit.name);
            warned = true;
        } else if (bit.required == RequiredState::MustBeProgrammed && !ticked) {
            text += messages.format(msg::FuseShouldBeProgrammed, bit.name);
            warned = true;
        }
    }
    if (lockLevelBlocksReading(layout, settings)) {
        text += messages.format(msg::SerialAccessLockLevel, at89LockLevelName(settings.lockMode));
        warned = true;
    }
    if (selectsExternalClockOnly(layout, settings)) {
        text += messages.text(msg::CkselExternalClockWarning);
        warned = true;
    }
    if (!warned) return std::nullopt;
    text += messages.text(msg::ContinueQuestion);
    return text;
}

bool confirmLockFuseSettings(const FuseLayout& layout, const LockFuseSettings& settings,
                             const Messages& messages, UserInterface& ui) {
    const std::optional<std::string> warning = safetyWarning(layout, settings, messages);
    if (!warning) return true;
    Question question;
    question.caption = messages.text(msg::Warning);
    question.text = *warning;
    question.buttons = Buttons::YesNo;
    question.defaultAnswer = Answer::No;
    question.icon = BoxIcon::Warning;
    return ui.ask(question) == Answer::Yes;
}

LockFuseSettings applyRequiredStates(const FuseLayout& layout, LockFuseSettings settings) {
    for (int i = 0; i < layout.fuseCount; ++i) {
        const RequiredState required = layout.fuseBits[static_cast<std::size_t>(i)].required;
        std::uint8_t& flag = settings.fuse[static_cast<std::size_t>(i)];
        if (required == RequiredState::MustBeProgrammed) flag = 1;
        if (required == RequiredState::MustBeUnprogrammed) flag = 0;
        // Serial programming stays on unless the person turns it off knowingly (and is warned).
        if (std::string_view(layout.fuseBits[static_cast<std::size_t>(i)].name) == "SPIEN") flag = 1;
    }
    return settings;
}

} // namespace tovel
