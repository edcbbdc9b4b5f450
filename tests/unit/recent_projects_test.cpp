#include <gtest/gtest.h>

#include "project/recent_projects.h"
#include "project/settings_file.h"
#include "unit/project_test_files.h"

using namespace tovel;
using tovel::test::readText;
using tovel::test::ScratchFolder;
using tovel::test::writeText;

namespace {

std::vector<std::string> menuPaths(const RecentProjects& recent) {
    std::vector<std::string> paths;
    for (const RecentProjects::MenuEntry& entry : recent.menuEntries()) paths.push_back(entry.path);
    return paths;
}

} // namespace

TEST(RecentProjects, MostRecentFirstWithoutDuplicates) {
    RecentProjects recent;
    EXPECT_TRUE(recent.menuEntries().empty()); // the grayed placeholder stays
    recent.add("/p/A.tvl");
    recent.add("/p/B.tvl");
    recent.add("/p/C.tvl");
    EXPECT_EQ(menuPaths(recent), (std::vector<std::string>{"/p/C.tvl", "/p/B.tvl", "/p/A.tvl"}));
    recent.add("/p/A.tvl");
    EXPECT_EQ(menuPaths(recent), (std::vector<std::string>{"/p/A.tvl", "/p/C.tvl", "/p/B.tvl"}));
    EXPECT_EQ(recent.menuEntries()[2], (RecentProjects::MenuEntry{32803, "/p/B.tvl"}));

    // A match that differs only in letter case moves up and takes the new spelling.
    recent.add("/P/b.TVL");
    EXPECT_EQ(menuPaths(recent), (std::vector<std::string>{"/P/b.TVL", "/p/A.tvl", "/p/C.tvl"}));

    recent.add("[Unspecified]");
    recent.add("");
    EXPECT_EQ(recent.mostRecent(), "/P/b.TVL");
}

TEST(RecentProjects, NineProjectsKeepTheEightNewestInTheSettingsFile) {
    ScratchFolder folder;
    const SettingsFile settings(folder.file("s.ini"));
    RecentProjects recent(settings.readRecentProjects());
    for (int n = 1; n <= 9; ++n) {
        recent.add("/p/" + std::to_string(n) + ".tvl");
        ASSERT_TRUE(settings.writeRecentProjects(recent.slots()));
    }
    EXPECT_EQ(readText(settings.path()), "[Recent]\nProject1=/p/9.tvl\nProject2=/p/8.tvl\nProject3=/p/7.tvl\n"
                                         "Project4=/p/6.tvl\nProject5=/p/5.tvl\nProject6=/p/4.tvl\n"
                                         "Project7=/p/3.tvl\nProject8=/p/2.tvl\n");
    const RecentProjects reloaded(settings.readRecentProjects());
    EXPECT_EQ(reloaded.slots(), recent.slots());
    EXPECT_EQ(reloaded.menuEntries().back(), (RecentProjects::MenuEntry{32808, "/p/2.tvl"}));
}

TEST(RecentProjects, MenuStopsAtTheFirstEmptySlot) {
    ScratchFolder folder;
    const SettingsFile settings(folder.file("s.ini"));
    const std::string longPath = "/p/" + std::string(2000, 'x') + ".tvl"; // kept whole, not cut
    writeText(settings.path(), "[Recent]\nProject1=" + longPath +
                                   "\nProject2=/p/b.tvl\nProject3=[Unspecified]\n"
                                   "Project4=/p/d.tvl\nProject5=\n");
    RecentProjects recent(settings.readRecentProjects());
    EXPECT_EQ(menuPaths(recent), (std::vector<std::string>{longPath, "/p/b.tvl"}));
    EXPECT_EQ(recent.slot(3), "/p/d.tvl");
    EXPECT_EQ(recent.slot(4), "[Unspecified]"); // an empty slot is stored and shown as empty
    EXPECT_EQ(RecentProjects::slotOfCommand(32801), 0);
    EXPECT_EQ(RecentProjects::slotOfCommand(32808), 7);
    EXPECT_EQ(RecentProjects::slotOfCommand(32800), -1);
    EXPECT_EQ(RecentProjects::slotOfCommand(32809), -1);
}
