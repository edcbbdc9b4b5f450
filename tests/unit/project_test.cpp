#include <gtest/gtest.h>

#include <filesystem>

#include "image/memory_buffer.h"
#include "project/ini_file.h"
#include "project/project.h"
#include "support/recording_ui.h"
#include "unit/project_test_files.h"

using namespace tovel;
using tovel::test::readText;
using tovel::test::RecordingUi;
using tovel::test::ScratchFolder;
using tovel::test::writeText;

namespace {

const char* const kFourBytesHex = ":0400000001020304F2\r\n:00000001FF\r\n";
const char* const kTwoBytesHex = ":02000000AA55FF\r\n:00000001FF\r\n";

struct CountingOwner : ProjectObserver {
    int refreshes = 0;
    void projectChanged() override { ++refreshes; }
};

// A project wired to its two buffers, as the main window wires them.
struct Bench : MemoryBufferObserver {
    RecordingUi ui;
    Messages messages;
    MemoryBuffer flash{ui, messages, false};
    MemoryBuffer eeprom{ui, messages, true};
    Project project{ui, messages};
    CountingOwner owner;

    Bench() {
        flash.setObserver(this);
        eeprom.setObserver(this);
        project.attach(&owner, &flash, &eeprom);
    }
    void bufferMarkedModified(const MemoryBuffer&) override { project.bufferMarkedModified(); }
    void bufferMatchesFile(const MemoryBuffer&) override { project.buffersSaved(); }
};

ProjectSettings changedSettings() {
    ProjectSettings s;
    s.flashInvert = s.polling = s.checkSignature = s.noSynchronization = true;
    s.autoErase = s.autoFlashProgram = s.autoEepromVerify = s.autoIncrementEeprom = s.programFuses = true;
    s.resetStrobeMs = 150;
    s.lockFuseSelection.lockMode = 2;
    s.lockFuseSelection.fuse[13] = 1;
    s.lockFuseSelection.bootLock[3] = 1;
    s.autoIncAddressFlash = 0x20;
    s.autoIncAddressEeprom = 3;
    s.deviceIndex = 20;
    s.sckPeriodIndex = 6;
    s.flashPageDelayOverride = true;
    s.flashPageDelayMs = 12;
    s.eepromByteDelayMs = 7;
    return s;
}

} // namespace

TEST(Project, StartsWithTheStartValues) {
    Bench bench;
    EXPECT_EQ(bench.project.fileName(), "[Unspecified]");
    EXPECT_FALSE(bench.project.modified());
    EXPECT_EQ(bench.project.settings(), ProjectSettings{});
    EXPECT_EQ(DeviceTable::device(bench.project.deviceIndex).name, std::string("ATmega8"));
    EXPECT_EQ(bench.project.sckPeriodIndex, 4);
    EXPECT_EQ(bench.project.resetStrobeMs, 20);
    EXPECT_EQ(bench.project.flashByteDelayMs, 9u);
    EXPECT_EQ(bench.project.flashPageDelayMs, 6);
    EXPECT_EQ(bench.project.eepromByteDelayMs, 10u);
    EXPECT_EQ(bench.project.eepromPageDelayMs, 10);
}

TEST(Project, AFileWithOnlyFilesFlashLoadsEveryDefault) {
    ScratchFolder folder;
    Bench bench;
    ASSERT_TRUE(bench.flash.load(writeText(folder.file("a.hex"), kFourBytesHex)));
    bench.project.checkSignature = true;
    bench.project.deviceIndex = 3;
    const std::string path = folder.file("only.tvl");
    writeText(path, "[Files]\nFlash=[Unspecified]\n");

    ASSERT_TRUE(bench.project.load(path));
    ProjectSettings expected;
    expected.resetStrobeMs = 400;
    expected.flashByteDelayMs = expected.eepromByteDelayMs = 0;
    expected.flashPageDelayMs = expected.eepromPageDelayMs = 0;
    EXPECT_EQ(bench.project.settings(), expected);
    EXPECT_FALSE(bench.flash.hasData());
    EXPECT_FALSE(bench.eeprom.hasData());
    EXPECT_EQ(bench.project.fileName(), path);
    EXPECT_FALSE(bench.project.modified());
    EXPECT_TRUE(bench.ui.boxes().empty());
}

TEST(Project, AFileThatIsNotAProjectChangesNothing) {
    ScratchFolder folder;
    Bench bench;
    bench.project.settings() = changedSettings();
    const std::string path = folder.file("other.ini");
    writeText(path, "[Files]\nEeprom=x.eep\n");
    for (const std::string& bad : {path, folder.file("missing.tvl"), folder.path().string()}) {
        bench.ui.clear();
        EXPECT_FALSE(bench.project.load(bad));
        ASSERT_EQ(bench.ui.events().size(), 1u);
        EXPECT_EQ(bench.ui.events()[0].caption, "Tovel/Tovel-U In-System Programmer 11.01");
        EXPECT_EQ(bench.ui.events()[0].text, "Error reading project file '" + bad + "'");
    }
    EXPECT_EQ(bench.project.settings(), changedSettings());
    EXPECT_EQ(bench.project.fileName(), "[Unspecified]");
}

TEST(Project, SavedAndLoadedAgainKeepsEveryFieldAndTheImages) {
    ScratchFolder folder;
    const std::string path = folder.file("job.tvl");
    {
        Bench bench;
        bench.flash.load(writeText(folder.file("f.hex"), kFourBytesHex));
        bench.eeprom.load(writeText(folder.file("sub/e.eep"), kTwoBytesHex));
        bench.project.settings() = changedSettings();
        bench.project.markModified();
        ASSERT_TRUE(bench.project.save(path));
        EXPECT_FALSE(bench.project.modified());
    }
    const std::string text = readText(path);
    EXPECT_TRUE(text.starts_with("[Files]\nFlash=f.hex\nEeprom=sub/e.eep\nFlashInvert=1\n")) << text;

    Bench again;
    ASSERT_TRUE(again.project.load(path));
    EXPECT_EQ(again.project.settings(), changedSettings());
    EXPECT_EQ(again.flash.fileName(), folder.file("f.hex"));
    EXPECT_EQ(again.flash.size(), 4u);
    EXPECT_EQ(again.eeprom.fileName(), folder.file("sub/e.eep"));
    EXPECT_EQ(again.eeprom.size(), 2u);
    EXPECT_FALSE(again.project.modified());
    EXPECT_GT(again.owner.refreshes, 0);
}

TEST(Project, SavingKeepsTheLinesOfTheFileItDoesNotKnow) {
    ScratchFolder folder;
    const std::string path = folder.file("job.tvl");
    writeText(path, "; my notes\r\n[Files]\r\nFlash=[Unspecified]\r\nComment=keep\r\n[Future]\r\nKey=1\r\n");
    Bench bench;
    ASSERT_TRUE(bench.project.load(path));
    bench.project.polling = true;
    ASSERT_TRUE(bench.project.save(path));
    const std::string text = readText(path);
    EXPECT_TRUE(text.starts_with(
        "; my notes\r\n[Files]\r\nFlash=[Unspecified]\r\nComment=keep\r\nEeprom=[Unspecified]"
        "\r\nFlashInvert=0\r\n[Future]\r\nKey=1\r\n\r\n[Settings]\r\nPolling=1\r\n"))
        << text;
}

TEST(Project, AFailedSaveIsReportedAndLeavesTheOldFile) {
    ScratchFolder folder;
    Bench bench;
    bench.project.markModified();
    // A folder stands where the file should go: it can be neither read nor replaced.
    EXPECT_FALSE(bench.project.save(folder.path().string()));
    EXPECT_EQ(bench.ui.boxes(), std::vector<std::string>{"Cannot save file"});
    EXPECT_TRUE(bench.project.modified());
    EXPECT_FALSE(bench.project.save(folder.file("no/such/folder/job.tvl")));
    EXPECT_TRUE(bench.project.modified());
}

TEST(Project, SaveAsksForTheNameOfABufferReadFromTheChipFirst) {
    ScratchFolder folder;
    Bench bench;
    bench.flash.close();
    ASSERT_TRUE(bench.flash.create(8));      // as after Read Flash: data, no file
    bench.ui.queueFile(folder.file("job"));  // the project's Save As: ".tvl" is added
    bench.ui.queueFile(folder.file("read")); // then the buffer's: ".hex" is added
    ASSERT_TRUE(bench.project.saveOrSaveAs());
    const std::vector<test::UiEvent> events = bench.ui.events();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[1].text, folder.file("read"));
    EXPECT_EQ(bench.project.fileName(), folder.file("job.tvl"));
    EXPECT_NE(readText(folder.file("job.tvl")).find("Flash=read.hex\n"), std::string::npos);
    EXPECT_EQ(readText(folder.file("read.hex")).substr(0, 9), ":08000000");
    EXPECT_FALSE(bench.project.modified());
}

TEST(Project, OutOfRangeValuesAreReplacedOnLoad) {
    ScratchFolder folder;
    Bench bench;
    const std::string path = folder.file("bad.tvl");
    writeText(path, "[Files]\nFlash=[Unspecified]\n[Device]\nDeviceNo=4000\n[Settings]\nSPIPeriod=-1\n");
    ASSERT_TRUE(bench.project.load(path));
    EXPECT_EQ(bench.project.deviceIndex, 9);
    EXPECT_EQ(bench.project.sckPeriodIndex, 4);
}

TEST(Project, AnImageThatCannotBeReadLeavesItsBufferEmptyButTheProjectLoads) {
    ScratchFolder folder;
    Bench bench;
    const std::string path = folder.file("job.tvl");
    writeText(path, "[Files]\nFlash=\nEeprom=gone.eep\n");
    ASSERT_TRUE(bench.project.load(path));
    EXPECT_EQ(bench.ui.boxes(),
              (std::vector<std::string>{"Cannot read file ''",
                                        "Cannot read file '" + folder.file("gone.eep") + "'"}));
    EXPECT_FALSE(bench.flash.hasData());
    EXPECT_FALSE(bench.eeprom.hasData());
    EXPECT_EQ(bench.project.fileName(), path);
}

TEST(Project, LongPathsAreKeptWhole) {
    ScratchFolder folder;
    Bench bench;
    const std::string longName = std::string(240, 'n') + ".hex";
    const std::string image =
        folder.file(std::string(120, 'd') + "/" + std::string(120, 'e') + "/" + longName);
    ASSERT_GT(image.size(), 249u);
    bench.flash.load(writeText(image, kFourBytesHex));
    const std::string path = folder.file("job.tvl");
    ASSERT_TRUE(bench.project.save(path));
    Bench again;
    ASSERT_TRUE(again.project.load(path));
    EXPECT_EQ(again.flash.fileName(), image);
    EXPECT_EQ(again.flash.size(), 4u);
}

TEST(Project, ModifiedFollowsSettingsAndBuffers) {
    ScratchFolder folder;
    Bench bench;
    bench.flash.load(writeText(folder.file("f.hex"), kFourBytesHex));
    EXPECT_FALSE(bench.project.modified());

    bench.flash.markModified(); // an edit in the preview
    EXPECT_TRUE(bench.project.modified());
    bench.flash.save();
    EXPECT_FALSE(bench.project.modified()); // the buffer matches its file again

    bench.project.markModified(); // a setting changed
    bench.flash.markModified();
    bench.flash.save();
    EXPECT_TRUE(bench.project.modified()); // the setting is still not saved

    bench.project.reset(); // New keeps the flag
    EXPECT_TRUE(bench.project.modified());
    bench.project.clearModified();
    EXPECT_FALSE(bench.project.modified());
}

TEST(Project, ReloadOfAProjectWithoutAFileResetsIt) {
    ScratchFolder folder;
    Bench bench;
    bench.flash.load(writeText(folder.file("f.hex"), kFourBytesHex));
    bench.project.settings() = changedSettings();
    ASSERT_TRUE(bench.project.reloadProject());
    ProjectSettings expected = changedSettings();
    resetToNew(expected);
    EXPECT_EQ(bench.project.settings(), expected);
    EXPECT_EQ(bench.flash.size(), 4u); // the buffers stay
}

TEST(Project, TheBundledExampleLoads) {
    const std::filesystem::path example =
        std::filesystem::path(TOVEL_SOURCE_DIR) / "examples/atmega8/blink.tvl";
    Bench bench;
    ASSERT_TRUE(bench.project.load(example.string()));
    EXPECT_TRUE(bench.ui.events().empty()); // no box, no checksum question
    EXPECT_EQ(DeviceTable::device(bench.project.deviceIndex).name, std::string("ATmega8"));
    EXPECT_EQ(bench.flash.fileName(), (example.parent_path() / "blink.hex").lexically_normal().string());
    EXPECT_GT(bench.flash.size(), 100u);
    EXPECT_EQ(bench.flash.data()[0], 0x12); // rjmp reset
    EXPECT_EQ(bench.flash.data()[1], 0xC0);
    ASSERT_EQ(bench.eeprom.size(), 16u);

    // The serial number ends at the configured address, inside the EEPROM image.
    EXPECT_TRUE(bench.project.autoIncrementEeprom);
    EXPECT_EQ(bench.project.autoIncAddressEeprom, 3u);
    EXPECT_EQ(bench.eeprom.data()[3], 0x01);
    EXPECT_FALSE(bench.project.autoEepromReload); // a reload would undo the increment

    EXPECT_TRUE(bench.project.autoErase && bench.project.autoFlashProgram && bench.project.autoFlashVerify);
    EXPECT_TRUE(bench.project.autoEepromProgram && bench.project.autoEepromVerify &&
                bench.project.programFuses);
    // Low fuse 0xA1, high fuse 0xD9: a set flag is a programmed (0) bit.
    unsigned low = 0, high = 0;
    for (unsigned bit = 0; bit < 8; ++bit) {
        low |= (bench.project.lockFuseSelection.fuse[bit] ? 0u : 1u) << bit;
        high |= (bench.project.lockFuseSelection.fuse[8 + bit] ? 0u : 1u) << bit;
    }
    EXPECT_EQ(low, 0xA1u);
    EXPECT_EQ(high, 0xD9u);
    EXPECT_EQ(bench.project.lockFuseSelection.lockMode, 0);
    EXPECT_EQ(bench.project.sckPeriodIndex, 5);
}
