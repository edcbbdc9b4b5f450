#include <gtest/gtest.h>

#include "project/settings_file.h"
#include "unit/project_test_files.h"

using namespace tovel;
using tovel::test::readText;
using tovel::test::ScratchFolder;
using tovel::test::writeText;

TEST(SettingsFile, MissingFileGivesDefaultsAndTheFirstWriteCreatesItsFolder) {
    ScratchFolder folder;
    const SettingsFile settings(folder.file("config/tovelisp/tovelisp.ini"));
    EXPECT_EQ(settings.read(), AppSettings{});
    EXPECT_EQ(settings.readRecentProjects(), RecentProjects().slots());
    ASSERT_TRUE(settings.write(3, 1, Language::Russian));
    EXPECT_EQ(readText(settings.path()), "[Connect]\nCOM=3\nHighSpeed=1\n\n[Language]\nRussian=1\n");
}

TEST(SettingsFile, ReadsStoredValuesAsTheyStandAndWritesTheLanguageBackAsOne) {
    ScratchFolder folder;
    const SettingsFile settings(folder.file("s.ini"));
    writeText(settings.path(),
              "[connect]\r\nhighspeed=7\r\nCom=4\r\nSpecial1=5\r\nSpecial2=6\r\nSpecial3=1001\r\n"
              "Special4=-2\r\n[LANGUAGE]\r\nRussian=5\r\n[Recent]\r\nLoadMostRecent=3\r\n");
    const AppSettings read = settings.read();
    EXPECT_EQ(read.baudIndex, 7); // used as read; the dialog then checks no speed button
    EXPECT_EQ(read.comPort, 4);
    EXPECT_EQ(read.boardDelays, (BoardDelays{5, 6, 1001, -2}));
    EXPECT_EQ(read.language, Language::Russian);
    EXPECT_TRUE(read.loadMostRecent);
    EXPECT_FALSE(speedButtonForIndex(read.baudIndex).has_value());

    ASSERT_TRUE(settings.write(read.comPort, read.baudIndex, read.language));
    EXPECT_EQ(readText(settings.path()),
              "[connect]\r\nhighspeed=7\r\nCom=4\r\nSpecial1=5\r\nSpecial2=6\r\n"
              "Special3=1001\r\nSpecial4=-2\r\n[LANGUAGE]\r\nRussian=1\r\n[Recent]\r\n"
              "LoadMostRecent=3\r\n");
}

TEST(SettingsFile, EachDialogWritesOnlyItsOwnKeys) {
    ScratchFolder folder;
    const SettingsFile settings(folder.file("s.ini"));
    writeText(settings.path(), "; mine\n[Connect]\nCOM=2\nHighSpeed=0\n[Ports]\nCOM1=/dev/ttyUSB0\n");
    ASSERT_TRUE(settings.writeBoardDelays({1, 2, 3, 4}));
    ASSERT_TRUE(settings.writePortAndSpeed(8, 2));
    ASSERT_TRUE(settings.writeLoadMostRecent(true));
    EXPECT_EQ(readText(settings.path()),
              "; mine\n[Connect]\nCOM=8\nHighSpeed=2\nSpecial1=1\nSpecial2=2\nSpecial3=3\n"
              "Special4=4\n[Ports]\nCOM1=/dev/ttyUSB0\n\n[Recent]\nLoadMostRecent=1\n");
    EXPECT_EQ(settings.readComPort(), 8);
    EXPECT_EQ(settings.readBaudIndex(), 2);
    EXPECT_EQ(settings.readBoardDelays(), (BoardDelays{1, 2, 3, 4}));
    EXPECT_TRUE(settings.readLoadMostRecent());
}

TEST(SettingsFile, AnUnreadableFileIsNeverOverwritten) {
    ScratchFolder folder;
    const SettingsFile settings(folder.path().string()); // a folder stands where the file should be
    EXPECT_EQ(settings.read(), AppSettings{});
    EXPECT_FALSE(settings.write(1, 0, Language::English));
    EXPECT_FALSE(settings.writeLoadMostRecent(false));
}

TEST(SettingsFile, PortPathsAreOptionalPerPort) {
    ScratchFolder folder;
    const SettingsFile settings(folder.file("s.ini"));
    writeText(settings.path(),
              "[ports]\ncom1 = /dev/ttyUSB0\nCOM3=\nCOM8=/dev/serial/by-id/usb-x\nCOM9=/dev/x\n");
    const PortPaths paths = settings.readPortPaths();
    EXPECT_EQ(paths[0], "/dev/ttyUSB0");
    EXPECT_FALSE(paths[1].has_value());
    EXPECT_FALSE(paths[2].has_value()); // an empty value names no device
    EXPECT_EQ(paths[7], "/dev/serial/by-id/usb-x");
}

TEST(SettingsFile, LivesInTheUsersConfigurationFolder) {
    EXPECT_EQ(settingsPathFor("/x/cfg", "/home/me"), "/x/cfg/tovelisp/tovelisp.ini");
    EXPECT_EQ(settingsPathFor(nullptr, "/home/me"), "/home/me/.config/tovelisp/tovelisp.ini");
    EXPECT_EQ(settingsPathFor("", "/home/me"), "/home/me/.config/tovelisp/tovelisp.ini");
    EXPECT_EQ(settingsPathFor("relative", "/home/me"), "/home/me/.config/tovelisp/tovelisp.ini");
    EXPECT_FALSE(settingsPathFor(nullptr, nullptr).has_value());
}

TEST(BoardSettingsRules, PortAndSpeedFromTheDialogsButtons) {
    std::array<bool, kComPortCount> none{};
    EXPECT_EQ(portFromButtons(none, 5), 5);
    std::array<bool, kComPortCount> two{};
    two[1] = two[6] = true; // COM2 and COM7: the last checked wins
    EXPECT_EQ(portFromButtons(two, 0), 7);

    EXPECT_EQ(speedFromButtons({}), 0);
    EXPECT_EQ(speedFromButtons({.checked115200 = true}), 1);
    EXPECT_EQ(speedFromButtons({.checked115200 = true, .checked921600 = true}), 2);

    EXPECT_EQ(portButtonForPort(0), 0); // no port chosen yet: COM1 is offered
    EXPECT_EQ(portButtonForPort(8), 7);
    EXPECT_FALSE(portButtonForPort(9).has_value());
    EXPECT_EQ(speedButtonForIndex(2), 2);
    EXPECT_FALSE(speedButtonForIndex(-1).has_value());

    EXPECT_TRUE(isValidBoardDelay(0));
    EXPECT_TRUE(isValidBoardDelay(1000));
    EXPECT_FALSE(isValidBoardDelay(1001));
    EXPECT_FALSE(isValidBoardDelay(-1));
    EXPECT_FALSE(areValidBoardDelays({0, 0, 1001, 0}));
}
