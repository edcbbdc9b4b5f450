#include "workbench/image_lock_fuse_offer.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "core/user_interface.h"
#include "devices/device_table.h"
#include "devices/image_lock_fuse.h"
#include "i18n/messages.h"
#include "image/elf_image.h"
#include "image/image_limits.h"
#include "project/project.h"

namespace tovel {

namespace {

std::string hexBytes(const std::vector<std::uint8_t>& bytes) {
    std::string text;
    for (const std::uint8_t byte : bytes) {
        char pair[4];
        std::snprintf(pair, sizeof pair, "%s%02X", text.empty() ? "" : " ", byte);
        text += pair;
    }
    return text;
}

bool endsWithElf(const std::string& path) {
    if (path.size() < 4) return false;
    std::string end = path.substr(path.size() - 4);
    for (char& c : end) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return end == ".elf";
}

// The selection as text, to tell one offer from another.
std::string keyOf(const std::string& path, const LockFuseSettings& settings) {
    std::string key = path + '\n' + std::to_string(settings.lockMode);
    for (const auto flag : settings.fuse) key += static_cast<char>('0' + flag);
    for (const auto flag : settings.bootLock) key += static_cast<char>('0' + flag);
    return key;
}

} // namespace

bool ImageLockFuseOffer::offer(const std::string& path, Project& project, UserInterface& ui,
                               const Messages& messages) {
    if (!endsWithElf(path)) return false;
    std::ifstream file(path, std::ios::binary);
    std::vector<std::uint8_t> bytes;
    bytes.reserve(kMaxImageSize);
    bytes.assign(std::istreambuf_iterator<char>(file), {});
    const ElfImage image = decodeElf(bytes);
    if (image.fault != ElfFault::None) return false;

    const DeviceRecord& device = DeviceTable::device(project.deviceIndex);
    if (image.signature && image.signature->size() == 3) {
        // The toolchain stores the signature last byte first.
        const std::vector<std::uint8_t> signature{(*image.signature)[2], (*image.signature)[1],
                                                  (*image.signature)[0]};
        const std::vector<std::uint8_t> expected(device.signature.begin(), device.signature.end());
        if (signature != expected)
            ui.showInfo(
                messages.format(msg::ElfSignatureOfOtherChip, hexBytes(signature).c_str(), device.name));
    }
    if (!image.fuse && !image.lock) return false;

    std::string held;
    const auto add = [&](unsigned id, const std::vector<std::uint8_t>& part) {
        held += (held.empty() ? "" : ", ") + messages.format(id, hexBytes(part).c_str());
    };
    if (image.fuse) add(msg::ElfFuseBytes, *image.fuse);
    if (image.lock) add(msg::ElfLockByte, *image.lock);

    const std::optional<LockFuseSettings> selection =
        lockFuseFromImage(project.deviceIndex, project.lockFuseSelection, image.fuse, image.lock);
    if (!selection) {
        ui.showInfo(messages.format(msg::ElfFileHolds, held.c_str()));
        return false;
    }
    if (project.programFuses && *selection == project.lockFuseSelection) return false;
    const std::string key = keyOf(path, *selection);
    if (key == declined_) return false;

    Question question;
    question.caption = messages.text(msg::BoxCaption);
    question.text = messages.format(msg::ElfUseLockFuseQuestion, held.c_str());
    question.buttons = Buttons::YesNo;
    question.defaultAnswer = Answer::No;
    question.icon = BoxIcon::Question;
    if (ui.ask(question) != Answer::Yes) {
        declined_ = key;
        return false;
    }
    project.lockFuseSelection = *selection;
    project.programFuses = true;
    project.markModified();
    return true;
}

} // namespace tovel
