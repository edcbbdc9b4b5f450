#include "cli/fuse_report.h"

#include <cstdio>

#include "cli/cli_texts.h"
#include "devices/device_table.h"
#include "devices/fuse_layout.h"
#include "devices/lock_fuse_codec.h"
#include "devices/lock_labels.h"

namespace tovel::cli {

namespace {

// Labels are written for menus and dialogs, where "&&" stands for one "&".
std::string plainLabel(std::string text) {
    for (std::size_t at = text.find("&&"); at != std::string::npos; at = text.find("&&", at + 1))
        text.erase(at, 1);
    return text;
}

void reportBit(Reporter& reporter, const char* type, const char* name, int fuseByte, int bit, bool programmed,
               Language language) {
    JsonLine json;
    json.add("type", type).add("name", name);
    if (fuseByte > 0) json.add("byte", fuseByte);
    json.add("bit", bit).add("programmed", programmed);
    char line[96];
    std::snprintf(line, sizeof line, "  %-10s %s", name,
                  cliText(programmed ? CliText::BitProgrammed : CliText::BitUnprogrammed, language));
    reporter.record(json, line);
}

} // namespace

void reportLockFuse(Reporter& reporter, int deviceNo, const LockFuseSettings& settings,
                    const Messages& messages) {
    const Language language = messages.language();
    const FuseLayout* layout = layoutOf(deviceNo);
    if (layout == nullptr) return;
    const DeviceRecord& device = DeviceTable::device(deviceNo);

    const std::string level = plainLabel(messages.text(lockLabel(device.spiVariant, settings.lockMode)));
    reporter.record(
        JsonLine().add("type", "lock").add("level", normalizedLockMode(settings.lockMode)).add("text", level),
        formatCliText(language, CliText::LockLevel, normalizedLockMode(settings.lockMode), level.c_str()));

    const std::vector<FuseByteWrite> bytes = encodeFuses(*layout, settings);
    if (!bytes.empty()) {
        std::string values;
        std::string array = "[";
        for (const FuseByteWrite& write : bytes) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "0x%02X", write.instruction[3]);
            values += (values.empty() ? "" : " ") + std::string(hex);
            array += (array.size() > 1 ? "," : "") + std::to_string(write.instruction[3]);
        }
        reporter.record(JsonLine().add("type", "fuse-bytes").addRaw("values", array + "]"),
                        formatCliText(language, CliText::FuseBytes, values.c_str()));
    }

    if (layout->bootLockCount > 0) {
        reporter.heading(cliText(CliText::BootLockBits, language));
        for (int i = 0; i < layout->bootLockCount; ++i) {
            const BootLockBit& bit = layout->bootLockBits[static_cast<std::size_t>(i)];
            reportBit(reporter, "boot-lock-bit", bit.name, 0, bit.bit,
                      settings.bootLock[static_cast<std::size_t>(i)] != 0, language);
        }
    }
    if (layout->fuseCount > 0) {
        reporter.heading(cliText(CliText::FuseBits, language));
        for (int i = 0; i < layout->fuseCount; ++i) {
            const FuseBit& bit = layout->fuseBits[static_cast<std::size_t>(i)];
            reportBit(reporter, "fuse-bit", bit.name, bit.fuseByte, bit.bit,
                      settings.fuse[static_cast<std::size_t>(i)] != 0, language);
        }
    }
}

} // namespace tovel::cli
