#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "image/image_file.h"
#include "image/image_limits.h"
#include "support/recording_ui.h"
#include "unit/image_test_files.h"

using namespace tovel;
using namespace tovel::test;

namespace {

const std::string kCaption = "Tovel/Tovel-U Programmer";
const std::string kChecksumQuestion = "If this file is in Intel HEX format, its control sum is invalid. "
                                      "Would you still like to load this file as HEX?";

class ImageFileTest : public ::testing::Test {
protected:
    std::vector<std::uint8_t> read(const std::string& path,
                                   ImageReadStatus expected = ImageReadStatus::Loaded) {
        ImageFileRead file = readImageFile(path, ui, messages);
        EXPECT_EQ(file.status, expected) << path;
        return toVector(file.image.span());
    }
    bool write(const std::string& path, const std::vector<std::uint8_t>& data) {
        return writeImageFile(path, data, writeFormatFor(path, ui, messages), ui, messages);
    }

    ScratchFolder folder;
    RecordingUi ui;
    Messages messages;
};

} // namespace

TEST_F(ImageFileTest, TheNameDecidesWhetherHexIsTried) {
    const std::string hex = hexRecord(0, 0, {0xDE, 0xAD}) + kEndRecord;
    writeFile(folder.file("image.bin"), hex);
    writeFile(folder.file("image.txt"), hex);
    writeFile(folder.file("IMAGE.BIN"), hex);
    EXPECT_EQ(read(folder.file("image.bin")), toVector(asBytes(hex)));
    EXPECT_EQ(read(folder.file("IMAGE.BIN")), toVector(asBytes(hex)));
    EXPECT_EQ(read(folder.file("image.txt")), (std::vector<std::uint8_t>{0xDE, 0xAD}));
    EXPECT_TRUE(ui.events().empty());
}

TEST_F(ImageFileTest, ADefectiveHexFileIsRefusedWithItsLineAndReason) {
    const std::string text = hexRecord(0, 0, {1}) + ":G0000000\r\n" + kEndRecord;
    writeFile(folder.file("bad.hex"), text);
    writeFile(folder.file("cut.ihx"), hexRecord(0, 0, {1}) + ":1000100001020304");
    read(folder.file("bad.hex"), ImageReadStatus::Refused);
    read(folder.file("cut.ihx"), ImageReadStatus::Refused);
    EXPECT_EQ(ui.events(), (std::vector<UiEvent>{
                               {UiEvent::Box, kCaption, "Error in HEX file"},
                               {UiEvent::Detail, {}, "Line 2: a character is not a hexadecimal digit"},
                               {UiEvent::Box, kCaption, "Error in HEX file"},
                               {UiEvent::Detail, {}, "Line 2: the line ends before its record does"},
                           }));
}

TEST_F(ImageFileTest, TheChecksumQuestionIsAskedOncePerFileAndNoLoadsNothing) {
    const std::string text = ":0100000001FF\r\n:0100010002FF\r\n:0100020003FF\r\n" + kEndRecord;
    writeFile(folder.file("sum.hex"), text);

    ui.queueAnswer(Answer::Yes);
    EXPECT_EQ(read(folder.file("sum.hex")), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(ui.events(),
              (std::vector<UiEvent>{{UiEvent::Question, kCaption, kChecksumQuestion, Answer::Yes}}));

    ui.clear();
    ui.queueAnswer(Answer::No);
    EXPECT_TRUE(read(folder.file("sum.hex"), ImageReadStatus::Refused).empty());
    EXPECT_EQ(ui.questions(), std::vector<std::string>{kChecksumQuestion});
    EXPECT_EQ(ui.boxes(), std::vector<std::string>{"Cannot load file"});
    EXPECT_EQ(ui.details(), std::vector<std::string>{"Line 1: the checksum is wrong"});
}

TEST_F(ImageFileTest, AFileThatCannotBeReadIsNamedInTheMessage) {
    const std::string path = folder.file("missing.hex");
    read(path, ImageReadStatus::CannotRead);
    read(folder.file(""), ImageReadStatus::CannotRead); // the folder itself
    EXPECT_EQ(ui.boxes(), (std::vector<std::string>{"Cannot read file '" + path + "'",
                                                    "Cannot read file '" + folder.file("") + "'"}));
}

TEST_F(ImageFileTest, FilesWithoutDataAreRefused) {
    writeFile(folder.file("empty.bin"), "");
    writeFile(folder.file("empty.hex"), "");
    writeFile(folder.file("only-end.hex"), kEndRecord);
    read(folder.file("empty.bin"), ImageReadStatus::Refused);
    read(folder.file("empty.hex"), ImageReadStatus::Refused);
    read(folder.file("only-end.hex"), ImageReadStatus::Refused);
    EXPECT_EQ(ui.boxes(), (std::vector<std::string>{
                              "File '" + folder.file("empty.bin") + "' holds no data.", "Error in HEX file",
                              "File '" + folder.file("only-end.hex") + "' holds no data."}));
}

TEST_F(ImageFileTest, LongFilesAreRefusedNotCut) {
    std::vector<std::uint8_t> big = patternBytes(kMaxImageSize + 1);
    big[0] = 'x';
    writeFile(folder.file("big.dat"), big);
    writeFile(folder.file("big.bin"), big);
    read(folder.file("big.dat"), ImageReadStatus::Refused);
    read(folder.file("big.bin"), ImageReadStatus::Refused);
    EXPECT_EQ(ui.boxes(),
              (std::vector<std::string>{
                  "File '" + folder.file("big.dat") + "' is larger than 8 MiB and was not loaded.",
                  "File '" + folder.file("big.bin") + "' is larger than 8 MiB and was not loaded."}));

    // Exactly 8 MiB is the largest binary image.
    big.resize(kMaxImageSize);
    writeFile(folder.file("full.bin"), big);
    EXPECT_EQ(read(folder.file("full.bin")), big);

    // A HEX text longer than 8 MiB is read whole: its end record is near the end.
    ui.clear();
    const std::vector<std::uint8_t> image = patternBytes(3u << 20);
    ASSERT_TRUE(write(folder.file("long.hex"), image));
    ASSERT_GT(std::filesystem::file_size(folder.file("long.hex")), kMaxImageSize);
    EXPECT_EQ(read(folder.file("long.hex")), image);
    EXPECT_TRUE(ui.events().empty());
}

TEST_F(ImageFileTest, TheExtensionChoosesTheWrittenFormatOrThePersonDoes) {
    const std::vector<std::uint8_t> data{0x01, 0x02, 0x0A, 0x0D};
    const std::string hex = ":040000000102", hexFile = hex + "0A0DE2\r\n" + kEndRecord;
    ASSERT_TRUE(write(folder.file("a.bin"), data));
    ASSERT_TRUE(write(folder.file("a.hex"), data));
    ASSERT_TRUE(write(folder.file("a.EEP"), data));
    EXPECT_EQ(readBytes(folder.file("a.bin")), data);
    EXPECT_EQ(readFile(folder.file("a.hex")), hexFile);
    EXPECT_EQ(readFile(folder.file("a.EEP")), hexFile);
    EXPECT_TRUE(ui.events().empty());

    ui.queueAnswer(Answer::No);
    ui.queueAnswer(Answer::Yes);
    ASSERT_TRUE(write(folder.file("image.dat"), data));
    ASSERT_TRUE(write(folder.file("image2.dat"), data));
    EXPECT_EQ(readBytes(folder.file("image.dat")), data);
    EXPECT_EQ(readFile(folder.file("image2.dat")), hexFile);
    EXPECT_EQ(
        ui.events(),
        (std::vector<UiEvent>{
            {UiEvent::Question, kCaption,
             "Would you like to save '" + folder.file("image.dat") + "' in Intel HEX format?", Answer::No},
            {UiEvent::Question, kCaption,
             "Would you like to save '" + folder.file("image2.dat") + "' in Intel HEX format?",
             Answer::Yes}}));
}

TEST_F(ImageFileTest, AFailedWriteLeavesTheOldFileAndNoLeftovers) {
    const std::string path = folder.file("keep.hex");
    writeFile(path, "old contents");
    ::chmod(path.c_str(), 0640);

    // Writes beyond 4 KiB fail, as on a full disk.
    rlimit original{};
    ::getrlimit(RLIMIT_FSIZE, &original);
    rlimit small = original;
    small.rlim_cur = 4096;
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    ::setrlimit(RLIMIT_FSIZE, &small);
    const bool written = write(path, std::vector<std::uint8_t>(8192, 0x33));
    ::setrlimit(RLIMIT_FSIZE, &original);
    std::signal(SIGXFSZ, previous);

    EXPECT_FALSE(written);
    EXPECT_EQ(readFile(path), "old contents");
    EXPECT_EQ(folder.entryCount(), 1u);
    EXPECT_EQ(ui.boxes(), std::vector<std::string>{"Cannot save file"});

    // The next write succeeds, replaces the file and keeps its permissions.
    ASSERT_TRUE(write(path, {0x33}));
    EXPECT_EQ(readFile(path), ":0100000033CC\r\n" + kEndRecord);
    struct stat info {};
    ::stat(path.c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(folder.entryCount(), 1u);
}

TEST_F(ImageFileTest, FilesThatCannotBeCreatedAreReported) {
    EXPECT_FALSE(write(folder.file("no-such-folder/a.bin"), {1}));
    EXPECT_FALSE(write(folder.file(""), {1})); // a folder is not replaced
    EXPECT_EQ(ui.boxes(), (std::vector<std::string>{"Cannot save file", "Cannot save file"}));
}

TEST_F(ImageFileTest, WritingThroughASymbolicLinkKeepsTheLink) {
    writeFile(folder.file("real.bin"), "old");
    std::filesystem::create_symlink(folder.file("real.bin"), folder.file("link.bin"));
    ASSERT_TRUE(write(folder.file("link.bin"), {7, 8}));
    EXPECT_TRUE(std::filesystem::is_symlink(folder.file("link.bin")));
    EXPECT_EQ(readBytes(folder.file("real.bin")), (std::vector<std::uint8_t>{7, 8}));
}

TEST_F(ImageFileTest, ADanglingLinkIsWrittenThroughAndALoopOfLinksIsRefused) {
    // A relative target, taken from the link's folder, that does not exist yet.
    std::filesystem::create_directory(folder.file("sub"));
    std::filesystem::create_symlink("sub/new.bin", folder.file("dangling.bin"));
    ASSERT_TRUE(write(folder.file("dangling.bin"), {1, 2}));
    EXPECT_TRUE(std::filesystem::is_symlink(folder.file("dangling.bin")));
    EXPECT_EQ(readBytes(folder.file("sub/new.bin")), (std::vector<std::uint8_t>{1, 2}));

    std::filesystem::create_symlink("loop.bin", folder.file("loop.bin"));
    EXPECT_FALSE(write(folder.file("loop.bin"), {3}));
    EXPECT_TRUE(std::filesystem::is_symlink(folder.file("loop.bin")));
    EXPECT_EQ(ui.boxes(), std::vector<std::string>{"Cannot save file"});
}
