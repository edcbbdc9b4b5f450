#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <sys/stat.h>

#include "project/ini_file.h"
#include "unit/project_test_files.h"

using namespace tovel;
using tovel::test::readText;
using tovel::test::ScratchFolder;
using tovel::test::writeText;

TEST(IniFile, UpdatesInPlaceAndKeepsEveryLineItDoesNotKnow) {
    const std::string original = "; written by hand\n"
                                 "stray line without equals\n"
                                 "[Connect]\n"
                                 "  COM = 3  \n"
                                 "# a comment in the section\n"
                                 "Other=keep me\n"
                                 "\n"
                                 "; about the next section\n"
                                 "[Language]\n"
                                 "Russian=0\n";
    IniFile file = IniFile::parse(original);
    EXPECT_TRUE(file.writeInt("Connect", "COM", 5));
    EXPECT_TRUE(file.writeInt("Connect", "HighSpeed", 1));
    EXPECT_TRUE(file.writeString("Recent", "Project1", "/home/me/a b.tvl"));
    EXPECT_EQ(file.text(), "; written by hand\n"
                           "stray line without equals\n"
                           "[Connect]\n"
                           "COM=5\n"
                           "# a comment in the section\n"
                           "Other=keep me\n"
                           "HighSpeed=1\n"
                           "\n"
                           "; about the next section\n"
                           "[Language]\n"
                           "Russian=0\n"
                           "\n"
                           "[Recent]\n"
                           "Project1=/home/me/a b.tvl\n");
}

TEST(IniFile, MatchesSectionsAndKeysWithoutRegardToCaseAndKeepsTheirSpelling) {
    IniFile file = IniFile::parse("[CONNECT]\ncom=7\n[connect]\nCOM=9\n");
    EXPECT_EQ(file.readInt("Connect", "COM", 0), 7); // the first matching section counts
    EXPECT_TRUE(file.writeInt("Connect", "Com", 2));
    EXPECT_EQ(file.text(), "[CONNECT]\ncom=2\n[connect]\nCOM=9\n");
    EXPECT_EQ(file.readInt("cOnNeCt", "cOm", 0), 2);
}

TEST(IniFile, MissingSectionKeyOrFileGivesTheDefault) {
    ScratchFolder folder;
    std::optional<IniFile> missing = IniFile::readFile(folder.file("nothing.ini"));
    ASSERT_TRUE(missing.has_value());
    EXPECT_EQ(missing->readInt("Connect", "COM", 42), 42);
    EXPECT_EQ(missing->readString("Recent", "Project1", "[Unspecified]"), "[Unspecified]");

    const IniFile file = IniFile::parse("Orphan=1\n[A]\nEmpty=\nB=x\n");
    EXPECT_EQ(file.readInt("", "Orphan", -1), -1); // keys before any section belong nowhere
    EXPECT_EQ(file.readInt("A", "Missing", 17), 17);
    EXPECT_EQ(file.readInt("A", "Empty", 17), 17);
    EXPECT_EQ(file.readString("A", "Empty", "def"), ""); // the key exists: its empty value counts
    EXPECT_TRUE(file.contains("A", "Empty"));
    EXPECT_FALSE(file.contains("B", "B"));
}

TEST(IniFile, ReadsIntegersLikeTheProfileReader) {
    struct Case {
        const char* text;
        std::int32_t value;
    } cases[] = {
        {"12", 12},
        {"-7", -7},
        {" +8", 8},
        {"12abc", 12},
        {"abc", 0},
        {"0x10", 0},
        {"-", 0},
        {"4294967295", -1},
        {"2147483648", INT32_MIN},
        {"99999999999999999999999", static_cast<std::int32_t>(0xF67FFFFFu)},
    };
    for (const Case& c : cases) {
        const IniFile file = IniFile::parse(std::string("[S]\nK=") + c.text + "\n");
        EXPECT_EQ(file.readInt("S", "K", 5), c.value) << c.text;
    }
    const IniFile file = IniFile::parse("[S]\nK=4294967295\nB=2\nZ=0\n");
    EXPECT_EQ(file.readUnsigned("S", "K", 0), 0xFFFFFFFFu);
    EXPECT_TRUE(file.readBool("S", "B", false));
    EXPECT_FALSE(file.readBool("S", "Z", true));
}

TEST(IniFile, ReadsCrLfAndKeepsTheLineEndAndByteOrderMark) {
    IniFile file = IniFile::parse("\xEF\xBB\xBF[Files]\r\nFlash=C:\\a.hex\r\n");
    EXPECT_EQ(file.readString("Files", "Flash", ""), "C:\\a.hex");
    file.writeString("Files", "Eeprom", "b.eep");
    EXPECT_EQ(file.text(), "\xEF\xBB\xBF[Files]\r\nFlash=C:\\a.hex\r\nEeprom=b.eep\r\n");
    // A last line without a line end is still read.
    EXPECT_EQ(IniFile::parse("[S]\nK=5").readInt("S", "K", 0), 5);

    // In an LF file a CR before the line end is part of the line: rewriting keeps it, every time.
    std::string text = "[S]\nOther=x\r\r\r\n";
    for (int write = 0; write < 3; ++write) {
        IniFile lf = IniFile::parse(text);
        EXPECT_EQ(lf.readString("S", "Other", ""), "x");
        lf.writeInt("S", "K", 1);
        text = lf.text();
        EXPECT_EQ(text, "[S]\nOther=x\r\r\r\nK=1\n");
    }
}

TEST(IniFile, RefusesTextThatCouldNotBeReadBack) {
    IniFile file = IniFile::parse("[S]\nK=1\n");
    EXPECT_FALSE(file.writeString("S", "K", "two\nlines"));
    EXPECT_FALSE(file.writeString("S", "A=B", "x"));
    EXPECT_FALSE(file.writeString("S]", "K", "x"));
    EXPECT_FALSE(file.writeString("", "K", "x"));
    EXPECT_EQ(file.text(), "[S]\nK=1\n");
    // A value may hold '=' and non-ASCII text.
    EXPECT_TRUE(file.writeString("S", "Path", "/tmp/a=b/проект.tvl"));
    EXPECT_EQ(IniFile::parse(file.text()).readString("S", "Path", ""), "/tmp/a=b/проект.tvl");
}

TEST(IniFile, WritesThroughATemporaryFileAndLeavesTheOldOneOnFailure) {
    ScratchFolder folder;
    const std::string path = folder.file("settings.ini");
    writeText(path, "[A]\nK=1\n");
    ::chmod(path.c_str(), 0640);
    IniFile file = *IniFile::readFile(path);
    file.writeInt("A", "K", 2);
    ASSERT_TRUE(file.writeFile(path));
    EXPECT_EQ(readText(path), "[A]\nK=2\n");
    struct stat info {};
    ::stat(path.c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1); // no temporary left

    // A target that is a folder cannot be replaced; a missing folder cannot be written to.
    std::filesystem::create_directory(folder.file("dir.ini"));
    EXPECT_FALSE(file.writeFile(folder.file("dir.ini")));
    EXPECT_FALSE(file.writeFile(folder.file("no/such/folder.ini")));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 2);
}

TEST(IniFile, RefusesFilesItCannotReadInsteadOfTreatingThemAsEmpty) {
    ScratchFolder folder;
    EXPECT_FALSE(IniFile::readFile(folder.path().string()).has_value()); // a folder
    const std::string big = folder.file("big.ini");
    writeText(big, std::string(IniFile::kMaxFileSize + 1, '\n'));
    EXPECT_FALSE(IniFile::readFile(big).has_value());
}

TEST(IniFile, SurvivesArbitraryBytes) {
    std::mt19937 random(1234);
    const std::string alphabet =
        std::string("[]=;#\r\n \tAKk09-") + std::string(1, '\0') + "\xEF\xBB\xBF\xFF";
    for (int round = 0; round < 300; ++round) {
        std::string text;
        const int length = static_cast<int>(random() % 200);
        for (int i = 0; i < length; ++i) text += alphabet[random() % alphabet.size()];
        IniFile file = IniFile::parse(text);
        file.readInt("A", "K", 0);
        ASSERT_TRUE(file.writeInt("A", "K", round));
        // Whatever was there, the written value reads back, also after a round trip through text.
        EXPECT_EQ(IniFile::parse(file.text()).readInt("A", "K", -1), round) << testing::PrintToString(text);
    }
}
