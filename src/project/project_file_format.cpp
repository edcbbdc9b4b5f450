#include "project/project_file_format.h"

#include "core/no_file_name.h"
#include "project/ini_file.h"

namespace tovel {

namespace {

constexpr const char* kFiles = "Files";
constexpr const char* kSettings = "Settings";
constexpr const char* kAutoProgram = "AutoProgram";
constexpr const char* kDevice = "Device";
constexpr const char* kDelays = "Delays";

constexpr std::int32_t kMissingResetStrobeMs = 400;

// Visits the keys from FlashInvert on (rows 3..79) in file order, so the order and the defaults
// are stated once for both reading and writing.
template <typename Settings, typename Visitor> void visitKeys(Settings& s, Visitor& v) {
    v.flag(kFiles, "FlashInvert", s.flashInvert);
    v.flag(kSettings, "Polling", s.polling);
    v.flag(kSettings, "CheckSign", s.checkSignature);
    v.flag(kSettings, "NoSynchronization", s.noSynchronization);
    v.flag(kAutoProgram, "AutoErase", s.autoErase);
    v.flag(kAutoProgram, "AutoEmptyCheck", s.autoEmptyCheck);
    v.flag(kAutoProgram, "AutoFlashReload", s.autoFlashReload);
    v.flag(kAutoProgram, "AutoFlashProgram", s.autoFlashProgram);
    v.flag(kAutoProgram, "AutoFlashVerify", s.autoFlashVerify);
    v.flag(kAutoProgram, "AutoEepromReload", s.autoEepromReload);
    v.flag(kAutoProgram, "AutoEepromProgram", s.autoEepromProgram);
    v.flag(kAutoProgram, "AutoEepromVerify", s.autoEepromVerify);
    v.flag(kAutoProgram, "AutoIncrementFlash", s.autoIncrementFlash);
    v.flag(kAutoProgram, "AutoIncrement", s.autoIncrementEeprom);
    v.flag(kAutoProgram, "ProgramFuse", s.programFuses);
    v.number(kAutoProgram, "LockMode", s.lockFuseSelection.lockMode, 0);
    for (std::size_t i = 0; i < s.lockFuseSelection.fuse.size(); ++i)
        v.flag(kAutoProgram, "Fuse" + std::to_string(i), s.lockFuseSelection.fuse[i]);
    for (std::size_t i = 0; i < s.lockFuseSelection.bootLock.size(); ++i)
        v.flag(kAutoProgram, "BootLock" + std::to_string(i), s.lockFuseSelection.bootLock[i]);
    v.number(kSettings, "ResetStrobeLength", s.resetStrobeMs, kMissingResetStrobeMs);
    v.number(kSettings, "SPIPeriod", s.sckPeriodIndex, kStartSckPeriodIndex);
    v.number(kAutoProgram, "AutoIncAddressFlash", s.autoIncAddressFlash, 0u);
    v.number(kAutoProgram, "AutoIncAddress", s.autoIncAddressEeprom, 0u);
    v.number(kDevice, "DeviceNo", s.deviceIndex, DeviceTable::defaultDeviceNo());
    v.flag(kDelays, "DelayByte", s.flashByteDelayOverride);
    v.flag(kDelays, "DelayPage", s.flashPageDelayOverride);
    v.number(kDelays, "DelayByteValue", s.flashByteDelayMs, 0u);
    v.number(kDelays, "DelayPageValue", s.flashPageDelayMs, 0);
    v.flag(kDelays, "DelayByte2", s.eepromByteDelayOverride);
    v.flag(kDelays, "DelayPage2", s.eepromPageDelayOverride);
    v.number(kDelays, "DelayByteValue2", s.eepromByteDelayMs, 0u);
    v.number(kDelays, "DelayPageValue2", s.eepromPageDelayMs, 0);
    v.flag(kSettings, "WriteChangedOnly", s.writeChangedOnly);
}

struct KeyReader {
    const IniFile& file;

    template <typename Flag> void flag(const char* section, const std::string& key, Flag& value) {
        value = file.readBool(section, key, false);
    }
    void number(const char* section, const char* key, std::int32_t& value, std::int32_t fallback) {
        value = file.readInt(section, key, fallback);
    }
    void number(const char* section, const char* key, std::uint32_t& value, std::uint32_t fallback) {
        value = file.readUnsigned(section, key, fallback);
    }
};

struct KeyWriter {
    IniFile& file;
    bool ok = true;

    template <typename Flag> void flag(const char* section, const std::string& key, const Flag& value) {
        ok = file.writeBool(section, key, value != 0) && ok;
    }
    template <typename Number, typename Fallback>
    void number(const char* section, const char* key, const Number& value, Fallback) {
        ok = file.writeInt(section, key, value) && ok;
    }
};

} // namespace

bool isProjectFile(const IniFile& file) { return file.contains(kFiles, "Flash"); }

ProjectSettings readProjectSettings(const IniFile& file) {
    ProjectSettings settings;
    KeyReader reader{file};
    visitKeys(settings, reader);
    return settings;
}

std::string storedFlashFile(const IniFile& file) {
    return file.readString(kFiles, "Flash", kUnspecifiedFileName);
}
std::string storedEepromFile(const IniFile& file) {
    return file.readString(kFiles, "Eeprom", kUnspecifiedFileName);
}

bool writeProjectKeys(IniFile& file, const ProjectSettings& settings, std::string_view flashFile,
                      std::string_view eepromFile) {
    KeyWriter writer{file};
    // A name that cannot be stored must still leave a project file behind (Files/Flash present).
    if (!file.writeString(kFiles, "Flash", flashFile)) {
        file.writeString(kFiles, "Flash", kUnspecifiedFileName);
        writer.ok = false;
    }
    if (!file.writeString(kFiles, "Eeprom", eepromFile)) {
        file.writeString(kFiles, "Eeprom", kUnspecifiedFileName);
        writer.ok = false;
    }
    visitKeys(settings, writer);
    return writer.ok;
}

} // namespace tovel
