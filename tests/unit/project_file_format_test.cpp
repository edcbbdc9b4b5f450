#include <gtest/gtest.h>

#include <filesystem>

#include "project/ini_file.h"
#include "project/project_file_format.h"
#include "project/project_paths.h"
#include "project/settings_file.h"
#include "project/value_ranges.h"

using namespace tovel;

namespace {

// The keys in the order a project file holds them, grouped by section.
std::vector<std::string> expectedLines() {
    std::vector<std::string> keys = {"[Files]",
                                     "Flash",
                                     "Eeprom",
                                     "FlashInvert",
                                     "",
                                     "[Settings]",
                                     "Polling",
                                     "CheckSign",
                                     "NoSynchronization",
                                     "ResetStrobeLength",
                                     "SPIPeriod",
                                     "WriteChangedOnly",
                                     "",
                                     "[AutoProgram]",
                                     "AutoErase",
                                     "AutoEmptyCheck",
                                     "AutoFlashReload",
                                     "AutoFlashProgram",
                                     "AutoFlashVerify",
                                     "AutoEepromReload",
                                     "AutoEepromProgram",
                                     "AutoEepromVerify",
                                     "AutoIncrementFlash",
                                     "AutoIncrement",
                                     "ProgramFuse",
                                     "LockMode"};
    for (int i = 0; i < 32; ++i) keys.push_back("Fuse" + std::to_string(i));
    for (int i = 0; i < 16; ++i) keys.push_back("BootLock" + std::to_string(i));
    for (const char* k : {"AutoIncAddressFlash", "AutoIncAddress", "", "[Device]", "DeviceNo", "", "[Delays]",
                          "DelayByte", "DelayPage", "DelayByteValue", "DelayPageValue", "DelayByte2",
                          "DelayPage2", "DelayByteValue2", "DelayPageValue2"})
        keys.push_back(k);
    return keys;
}

std::vector<std::string> lineNames(const std::string& text) {
    std::vector<std::string> names;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        const std::string line = text.substr(start, end - start);
        names.push_back(line.starts_with("[") ? line : line.substr(0, line.find('=')));
        start = end + 1;
    }
    return names;
}

ProjectSettings everyFieldChanged() {
    ProjectSettings s;
    s.flashInvert = s.polling = s.checkSignature = s.noSynchronization = s.writeChangedOnly = true;
    s.autoErase = s.autoEmptyCheck = s.autoFlashReload = s.autoFlashProgram = s.autoFlashVerify = true;
    s.autoEepromReload = s.autoEepromProgram = s.autoEepromVerify = true;
    s.autoIncrementFlash = s.autoIncrementEeprom = s.programFuses = true;
    s.resetStrobeMs = 300;
    s.lockFuseSelection.lockMode = 3;
    s.lockFuseSelection.fuse[0] = s.lockFuseSelection.fuse[13] = s.lockFuseSelection.fuse[31] = 1;
    s.lockFuseSelection.bootLock[1] = s.lockFuseSelection.bootLock[15] = 1;
    s.autoIncAddressFlash = 0xFFFFFFF0u;
    s.autoIncAddressEeprom = 0x1F0;
    s.deviceIndex = 42;
    s.sckPeriodIndex = 7;
    s.flashByteDelayOverride = s.flashPageDelayOverride = s.eepromByteDelayOverride = true;
    s.eepromPageDelayOverride = true;
    s.flashByteDelayMs = 36;
    s.flashPageDelayMs = 50;
    s.eepromByteDelayMs = 1;
    s.eepromPageDelayMs = 45;
    return s;
}

} // namespace

TEST(ProjectFileFormat, ANewFileHoldsTheKeysInTheirOrder) {
    IniFile file;
    ASSERT_TRUE(writeProjectKeys(file, ProjectSettings{}, "/img/a.hex", "[Unspecified]"));
    const std::string text = file.text();
    EXPECT_EQ(lineNames(text), expectedLines());
    EXPECT_NE(text.find("[Files]\nFlash=/img/a.hex\nEeprom=[Unspecified]\nFlashInvert=0\n"),
              std::string::npos);
    EXPECT_NE(text.find("ResetStrobeLength=20\nSPIPeriod=4\n"), std::string::npos);
    EXPECT_NE(text.find("[Device]\nDeviceNo=9\n"), std::string::npos);
    EXPECT_NE(text.find("DelayByteValue=9\nDelayPageValue=6\n"), std::string::npos);
}

TEST(ProjectFileFormat, EveryFieldSurvivesARoundTrip) {
    const ProjectSettings written = everyFieldChanged();
    IniFile file;
    ASSERT_TRUE(writeProjectKeys(file, written, "/img/a b.hex", "/img/ü.eep"));
    const IniFile reread = IniFile::parse(file.text());
    EXPECT_EQ(readProjectSettings(reread), written);
    EXPECT_EQ(storedFlashFile(reread), "/img/a b.hex");
    EXPECT_EQ(storedEepromFile(reread), "/img/ü.eep");
    EXPECT_NE(file.text().find("AutoIncAddressFlash=4294967280\n"), std::string::npos);

    // The readable byte of the lock/fuse selection is not stored.
    ProjectSettings flagged = written;
    flagged.lockFuseSelection.readable = 1;
    IniFile second;
    writeProjectKeys(second, flagged, "a", "b");
    EXPECT_EQ(readProjectSettings(second).lockFuseSelection.readable, 0);
}

TEST(ProjectFileFormat, MissingKeysTakeTheirLoadDefaults) {
    const IniFile file = IniFile::parse("[Files]\nFlash=[Unspecified]\n");
    ASSERT_TRUE(isProjectFile(file));
    const ProjectSettings s = readProjectSettings(file);
    EXPECT_EQ(s.resetStrobeMs, 400);
    EXPECT_EQ(s.sckPeriodIndex, 4);
    EXPECT_EQ(s.deviceIndex, 9);
    EXPECT_EQ(s.flashByteDelayMs, 0u); // missing delays read 0, unlike the start values 9, 6, 10, 10
    EXPECT_EQ(s.flashPageDelayMs, 0);
    EXPECT_EQ(s.eepromByteDelayMs, 0u);
    EXPECT_EQ(s.eepromPageDelayMs, 0);
    EXPECT_FALSE(s.checkSignature);
    EXPECT_EQ(s.lockFuseSelection, LockFuseSettings{});
    EXPECT_EQ(storedEepromFile(file), "[Unspecified]");
}

TEST(ProjectFileFormat, OnlyAFileWithFilesFlashIsAProjectFile) {
    EXPECT_TRUE(isProjectFile(IniFile::parse("[files]\nflash=\n"))); // present though empty
    EXPECT_FALSE(isProjectFile(IniFile::parse("[Files]\nEeprom=a.eep\n[Settings]\nFlash=x\n")));
    EXPECT_FALSE(isProjectFile(IniFile()));
}

TEST(ProjectFileFormat, ValuesAreReadLikeTheProfileReaderAndOutOfRangeOnesReplaced) {
    ProjectSettings s = readProjectSettings(
        IniFile::parse("[Files]\nFlash=a\n[AutoProgram]\nLockMode=abc\nFuse3=7\nBootLock2=-1\nAutoErase=x\n"
                       "[Device]\nDeviceNo=43\n[Settings]\nSPIPeriod=8\n"));
    EXPECT_EQ(s.lockFuseSelection.lockMode, 0);
    EXPECT_EQ(s.lockFuseSelection.fuse[3], 1);
    EXPECT_EQ(s.lockFuseSelection.bootLock[2], 1);
    EXPECT_FALSE(s.autoErase);
    EXPECT_EQ(s.deviceIndex, 43); // as read ...
    replaceOutOfRangeValues(s);
    EXPECT_EQ(s.deviceIndex, 9); // ... and replaced before use
    EXPECT_EQ(s.sckPeriodIndex, 4);

    ProjectSettings negative;
    negative.deviceIndex = -1;
    negative.sckPeriodIndex = -3;
    replaceOutOfRangeValues(negative);
    EXPECT_EQ(negative.deviceIndex, 9);
    EXPECT_EQ(negative.sckPeriodIndex, 4);
    ProjectSettings valid = everyFieldChanged();
    replaceOutOfRangeValues(valid);
    EXPECT_EQ(valid, everyFieldChanged());
}

TEST(ProjectFileFormat, ValuesBeyondTheDialogsAreReplacedByTheDefaultAndNamed) {
    ProjectSettings s = readProjectSettings(IniFile::parse(
        "[Files]\nFlash=a\n[Settings]\nResetStrobeLength=2000000000\nSPIPeriod=3\n[Delays]\n"
        "DelayByteValue=37\nDelayPageValue=50\nDelayByteValue2=4294967295\nDelayPageValue2=-1\n"));
    const ReplacedValues replaced = replaceOutOfRangeValues(s);
    std::vector<std::string> keys;
    for (const ReplacedValue& r : replaced) keys.push_back(r.key);
    EXPECT_EQ(keys, (std::vector<std::string>{"ResetStrobeLength", "DelayByteValue", "DelayByteValue2",
                                              "DelayPageValue2"}));
    const ProjectSettings start;
    EXPECT_EQ(s.resetStrobeMs, start.resetStrobeMs);
    EXPECT_EQ(s.flashByteDelayMs, start.flashByteDelayMs);
    EXPECT_EQ(s.flashPageDelayMs, 50); // at the edge: kept
    EXPECT_EQ(s.sckPeriodIndex, 3);
    Messages messages;
    EXPECT_EQ(describeReplacedValue(replaced[0], "job.tvl", messages),
              "Warning: 2000000000 is not a value for 'ResetStrobeLength' in 'job.tvl' (0..1000): 20 is used "
              "instead.");

    AppSettings settings;
    settings.comPort = 9;
    settings.baudIndex = 3;
    settings.boardDelays.pageReadDelayMs = 2000000000;
    settings.boardDelays.postSendDelayMs = 1000;
    keys.clear();
    for (const ReplacedValue& r : replaceOutOfRangeSettings(settings)) keys.push_back(r.key);
    EXPECT_EQ(keys, (std::vector<std::string>{"COM", "HighSpeed", "Special2"}));
    EXPECT_EQ(settings.comPort, 0);
    EXPECT_EQ(settings.baudIndex, 0);
    EXPECT_EQ(settings.boardDelays.pageReadDelayMs, 0);
    EXPECT_EQ(settings.boardDelays.postSendDelayMs, 1000);
}

TEST(ProjectFileFormat, NewKeepsDeviceTimingAndDelays) {
    ProjectSettings s = everyFieldChanged();
    s.lockFuseSelection.readable = 1;
    resetToNew(s);
    ProjectSettings expected; // start values, with what New keeps
    expected.deviceIndex = 42;
    expected.resetStrobeMs = 300;
    expected.checkSignature = expected.noSynchronization = true;
    expected.flashByteDelayOverride = expected.flashPageDelayOverride = true;
    expected.eepromByteDelayOverride = expected.eepromPageDelayOverride = true;
    expected.flashByteDelayMs = 36;
    expected.flashPageDelayMs = 50;
    expected.eepromByteDelayMs = 1;
    expected.eepromPageDelayMs = 45;
    EXPECT_EQ(s, expected);
}

TEST(ProjectPaths, RelativeImagePathsAreTakenFromTheProjectsFolder) {
    EXPECT_EQ(resolveImagePath("/p/job/x.tvl", "blink.hex"), "/p/job/blink.hex");
    EXPECT_EQ(resolveImagePath("/p/job/x.tvl", "../img/./a.eep"), "/p/img/a.eep");
    EXPECT_EQ(resolveImagePath("/p/job/x.tvl", "/abs/a.hex"), "/abs/a.hex");
    EXPECT_EQ(resolveImagePath("/p/job/x.tvl", "[Unspecified]"), "[Unspecified]");
    EXPECT_EQ(resolveImagePath("/p/job/x.tvl", ""), "");
    const std::string cwd = std::filesystem::current_path().string();
    EXPECT_EQ(resolveImagePath("rel/x.tvl", "a.hex"), cwd + "/rel/a.hex");

    EXPECT_EQ(storedImagePath("/p/job/x.tvl", "/p/job/blink.hex"), "blink.hex");
    EXPECT_EQ(storedImagePath("/p/job/x.tvl", "/p/job/img/a.eep"), "img/a.eep");
    EXPECT_EQ(storedImagePath("/p/job/x.tvl", "/p/other/a.hex"), "/p/other/a.hex");
    EXPECT_EQ(storedImagePath("/p/job/x.tvl", "/p/jobs/a.hex"), "/p/jobs/a.hex");
    EXPECT_EQ(storedImagePath("/p/job/x.tvl", "[Unspecified]"), "[Unspecified]");
}
