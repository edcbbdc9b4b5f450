#include "ops/lock_fuse_verify_report.h"

#include "devices/lock_labels.h"
#include "i18n/ui_translation.h"

namespace tovel {

namespace {

// A lock label is a radio button caption ("R&&W"); in a message it reads "R&W".
std::string lockLevelText(SpiVariant spiVariant, std::int32_t lockMode, const Messages& messages) {
    return ui::withoutMnemonic(messages.text(lockLabel(spiVariant, lockMode)));
}

// One fuse or boot-lock bit as the project wants it and as the chip holds it.
struct BitStates {
    bool expectedProgrammed;
    bool readProgrammed;
};

void appendBitLine(std::string& text, const char* name, BitStates bit, const Messages& messages) {
    if (bit.expectedProgrammed == bit.readProgrammed) return;
    text += messages.format(
        bit.expectedProgrammed ? msg::ShouldProgrammedUnprogrammed : msg::ShouldUnprogrammedProgrammed, name);
}

} // namespace

std::optional<std::string> lockFuseDifferences(const FuseLayout& layout, SpiVariant spiVariant,
                                               const LockFuseSettings& expected, const LockFuseSettings& read,
                                               const Messages& messages) {
    std::string lines;
    const std::int32_t expectedLevel = normalizedLockMode(expected.lockMode);
    const std::int32_t readLevel = normalizedLockMode(read.lockMode);
    if (expectedLevel != readLevel) {
        const std::string should = lockLevelText(spiVariant, expectedLevel, messages);
        const std::string is = lockLevelText(spiVariant, readLevel, messages);
        lines += messages.format(msg::LockModeShould, should.c_str(), is.c_str());
    }
    for (int i = 0; i < layout.fuseCount && i < kMaxFuseBits; ++i) {
        const auto k = static_cast<std::size_t>(i);
        appendBitLine(lines, layout.fuseBits[k].name,
                      {.expectedProgrammed = expected.fuse[k] != 0, .readProgrammed = read.fuse[k] != 0},
                      messages);
    }
    for (int i = 0; i < layout.bootLockCount && i < kMaxBootLockBits; ++i) {
        const auto k = static_cast<std::size_t>(i);
        appendBitLine(
            lines, layout.bootLockBits[k].name,
            {.expectedProgrammed = expected.bootLock[k] != 0, .readProgrammed = read.bootLock[k] != 0},
            messages);
    }
    if (lines.empty()) return std::nullopt;
    return messages.text(msg::LockFuseBitsVerifyFailed) + lines;
}

} // namespace tovel
