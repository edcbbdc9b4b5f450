#include <gtest/gtest.h>

#include "image/memory_buffer.h"
#include "project/project_commands.h"
#include "support/recording_ui.h"
#include "unit/project_test_files.h"

using namespace tovel;
using tovel::test::readText;
using tovel::test::RecordingUi;
using tovel::test::ScratchFolder;
using tovel::test::writeText;

namespace {

const char* const kFourBytesHex = ":0400000001020304F2\r\n:00000001FF\r\n";

struct Window : MemoryBufferObserver {
    explicit Window(const std::string& settingsPath) : settings(settingsPath) {
        flash.setObserver(this);
        eeprom.setObserver(this);
        project.attach(nullptr, &flash, &eeprom);
    }
    void bufferMarkedModified(const MemoryBuffer&) override { project.bufferMarkedModified(); }
    void bufferMatchesFile(const MemoryBuffer&) override { project.buffersSaved(); }

    RecordingUi ui;
    Messages messages;
    SettingsFile settings;
    MemoryBuffer flash{ui, messages, false};
    MemoryBuffer eeprom{ui, messages, true};
    Project project{ui, messages};
    ProjectCommands commands{project, settings, ui};
};

std::string writeProject(const ScratchFolder& folder, const std::string& name) {
    writeText(folder.file("f.hex"), kFourBytesHex);
    return writeText(folder.file(name),
                     "[Files]\nFlash=f.hex\n[Device]\nDeviceNo=20\n[Settings]\nSPIPeriod=2\n");
}

} // namespace

TEST(ProjectCommands, OpenLoadsReportsAndRemembersTheProject) {
    ScratchFolder folder;
    Window window(folder.file("s.ini"));
    const std::string path = writeProject(folder, "a.tvl");
    window.ui.queueFile(path);
    ASSERT_TRUE(window.commands.open());
    EXPECT_EQ(window.ui.lastStatus(), "Project loaded");
    EXPECT_EQ(window.project.deviceIndex, 20);
    EXPECT_EQ(window.project.sckPeriodIndex, 2);
    EXPECT_EQ(window.commands.recent().mostRecent(), path);
    EXPECT_TRUE(window.settings.readLoadMostRecent());
    EXPECT_EQ(window.settings.readRecentProjects()[0], path);

    window.ui.queueFile(std::nullopt); // cancelled
    EXPECT_FALSE(window.commands.open());
    EXPECT_EQ(window.ui.lastStatus(), "Project not loaded");
    window.ui.queueFile(folder.file("s.ini")); // not a project
    EXPECT_FALSE(window.commands.open());
    EXPECT_EQ(window.ui.lastStatus(), "Project not loaded");
    EXPECT_EQ(window.commands.recent().menuEntries().size(), 1u);
}

TEST(ProjectCommands, NewKeepsDeviceTimingDelaysAndBuffersCloseEmptiesTheBuffers) {
    ScratchFolder folder;
    Window window(folder.file("s.ini"));
    window.ui.queueFile(writeProject(folder, "a.tvl"));
    ASSERT_TRUE(window.commands.open());
    window.project.resetStrobeMs = 300;
    window.project.checkSignature = window.project.noSynchronization = true;
    window.project.eepromPageDelayOverride = true;
    window.project.autoErase = window.project.programFuses = true;
    window.project.lockFuseSelection.fuse[5] = 1;
    window.project.markModified();

    window.commands.newProject();
    EXPECT_EQ(window.project.fileName(), "[Unspecified]");
    EXPECT_FALSE(window.project.modified());
    EXPECT_EQ(window.project.deviceIndex, 20);
    EXPECT_EQ(window.project.resetStrobeMs, 300);
    EXPECT_TRUE(window.project.checkSignature && window.project.noSynchronization);
    EXPECT_TRUE(window.project.eepromPageDelayOverride);
    EXPECT_FALSE(window.project.autoErase || window.project.programFuses);
    EXPECT_EQ(window.project.lockFuseSelection, LockFuseSettings{});
    EXPECT_EQ(window.project.sckPeriodIndex, 4);
    EXPECT_EQ(window.flash.size(), 4u);
    EXPECT_FALSE(window.settings.readLoadMostRecent());

    window.commands.close();
    EXPECT_FALSE(window.flash.hasData());
    EXPECT_EQ(window.flash.fileName(), "[Unspecified]");
    EXPECT_FALSE(window.settings.readLoadMostRecent());
}

TEST(ProjectCommands, ReloadDiscardsChangesAndReportsTheLoad) {
    ScratchFolder folder;
    Window window(folder.file("s.ini"));
    window.ui.queueFile(writeProject(folder, "a.tvl"));
    ASSERT_TRUE(window.commands.open());
    window.settings.writeLoadMostRecent(false);
    window.project.deviceIndex = 3;
    ASSERT_TRUE(window.commands.reload());
    EXPECT_EQ(window.project.deviceIndex, 20);
    EXPECT_EQ(window.ui.lastStatus(), "Project loaded");
    EXPECT_TRUE(window.settings.readLoadMostRecent());

    std::filesystem::remove(window.project.fileName());
    EXPECT_FALSE(window.commands.reload());
    EXPECT_EQ(window.ui.lastStatus(), "Project not loaded");
}

TEST(ProjectCommands, SaveAsPutsTheNewFileAtTheTopAndSaveWritesToIt) {
    ScratchFolder folder;
    Window window(folder.file("s.ini"));
    window.ui.queueFile(folder.file("new.tvl"));
    ASSERT_TRUE(window.commands.saveAs());
    EXPECT_EQ(window.commands.recent().mostRecent(), folder.file("new.tvl"));
    window.project.polling = true;
    ASSERT_TRUE(window.commands.save());
    EXPECT_NE(readText(folder.file("new.tvl")).find("Polling=1"), std::string::npos);
    window.ui.queueFile(std::nullopt);
    EXPECT_FALSE(window.commands.saveAs());
    EXPECT_EQ(window.project.fileName(), folder.file("new.tvl"));
}

TEST(ProjectCommands, ARecentEntryMovesUpEvenWhenItsFileIsGone) {
    ScratchFolder folder;
    Window window(folder.file("s.ini"));
    const std::string a = writeProject(folder, "a.tvl");
    const std::string b = writeProject(folder, "b.tvl");
    window.commands.addRecent(folder.file("gone.tvl"));
    window.commands.addRecent(a);
    window.commands.addRecent(b);

    ASSERT_TRUE(window.commands.openRecent(1));
    EXPECT_EQ(window.project.fileName(), a);
    EXPECT_EQ(window.commands.recent().mostRecent(), a);

    EXPECT_FALSE(window.commands.openRecent(2));
    EXPECT_EQ(window.ui.boxes().back(), "Error reading project file '" + folder.file("gone.tvl") + "'");
    EXPECT_EQ(window.project.fileName(), a); // the project stays as it was
    EXPECT_EQ(window.settings.readRecentProjects()[0], folder.file("gone.tvl"));
    EXPECT_TRUE(window.settings.readLoadMostRecent());
}

TEST(ProjectCommands, StartUpOpensTheNamedOrTheMostRecentProject) {
    ScratchFolder folder;
    const std::string a = writeProject(folder, "a.tvl");
    const std::string b = writeProject(folder, "b.tvl");
    {
        Window window(folder.file("s.ini"));
        window.commands.addRecent(a);
        EXPECT_FALSE(window.commands.openAtStartup(std::nullopt)); // LoadMostRecent is 0
        EXPECT_EQ(window.project.fileName(), "[Unspecified]");
        EXPECT_TRUE(window.commands.openAtStartup(b)); // the command line wins
        EXPECT_EQ(window.project.fileName(), b);
        EXPECT_EQ(window.commands.recent().mostRecent(), b);
    }
    SettingsFile(folder.file("s.ini")).writeLoadMostRecent(true);
    Window window(folder.file("s.ini"));
    EXPECT_TRUE(window.commands.openAtStartup(std::nullopt));
    EXPECT_EQ(window.project.fileName(), b);
}
