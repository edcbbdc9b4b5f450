// Round trips against GNU objcopy's Intel HEX output and input, byte for byte.
#include <gtest/gtest.h>

#include <cstdlib>

#include "image/image_file.h"
#include "support/recording_ui.h"
#include "unit/image_test_files.h"

using namespace tovel;
using namespace tovel::test;

namespace {

bool haveObjcopy() { return std::system("objcopy --version >/dev/null 2>&1") == 0; }

bool objcopy(const char* from, const char* to, const std::string& in, const std::string& out) {
    const std::string command =
        std::string("objcopy -I ") + from + " -O " + to + " '" + in + "' '" + out + "' 2>/dev/null";
    return std::system(command.c_str()) == 0;
}

class ObjcopyRoundTrip : public ::testing::TestWithParam<std::size_t> {
protected:
    void SetUp() override {
        if (!haveObjcopy()) GTEST_SKIP() << "objcopy is not installed";
    }
    ScratchFolder folder;
    RecordingUi ui;
    Messages messages;
};

} // namespace

TEST_P(ObjcopyRoundTrip, OurHexReadsBackThroughObjcopy) {
    const std::vector<std::uint8_t> image = patternBytes(GetParam(), 7);
    ASSERT_TRUE(writeImageFile(folder.file("ours.hex"), image, ImageFormat::Hex, ui, messages));
    ASSERT_TRUE(objcopy("ihex", "binary", folder.file("ours.hex"), folder.file("back.bin")));
    EXPECT_TRUE(readBytes(folder.file("back.bin")) == image);
    EXPECT_TRUE(ui.events().empty());
}

TEST_P(ObjcopyRoundTrip, ObjcopysHexReadsBackThroughOurs) {
    const std::vector<std::uint8_t> image = patternBytes(GetParam(), 11);
    writeFile(folder.file("image.bin"), image);
    ASSERT_TRUE(objcopy("binary", "ihex", folder.file("image.bin"), folder.file("theirs.hex")));
    ImageFileRead read = readImageFile(folder.file("theirs.hex"), ui, messages);
    ASSERT_EQ(read.status, ImageReadStatus::Loaded);
    EXPECT_TRUE(toVector(read.image.span()) == image);
    EXPECT_TRUE(ui.events().empty());
}

INSTANTIATE_TEST_SUITE_P(Sizes, ObjcopyRoundTrip,
                         ::testing::Values(std::size_t{64} << 10, std::size_t{1} << 20, std::size_t{8} << 20),
                         [](const ::testing::TestParamInfo<std::size_t>& size) {
                             return std::to_string(size.param >> 10) + "KiB";
                         });
