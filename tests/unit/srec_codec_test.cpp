// The S-record reader and writer: exact text, every fault with its line, and round trips
// against srec_cat and objcopy byte for byte.
#include <gtest/gtest.h>

#include <cstdlib>

#include "image/image_decoder.h"
#include "image/srec_decoder.h"
#include "image/srec_encoder.h"
#include "unit/image_test_files.h"

using namespace tovel;
using namespace tovel::test;

namespace {

std::string encoded(const std::vector<std::uint8_t>& image) {
    std::string text;
    EXPECT_TRUE(encodeSrec(image, [&text](std::span<const char> chunk) {
        text.append(chunk.data(), chunk.size());
        return true;
    }));
    return text;
}

SrecDecodeResult decoded(const std::string& text) {
    return decodeSrec(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

std::vector<std::uint8_t> imageOf(const SrecDecodeResult& result) {
    return {result.image.span().begin(), result.image.span().end()};
}

// One S-record line with its checksum.
std::string srecRecord(char type, unsigned address, unsigned addressBytes,
                       const std::vector<std::uint8_t>& bytes, const char* lineEnd = "\r\n") {
    const unsigned count = addressBytes + static_cast<unsigned>(bytes.size()) + 1;
    unsigned sum = count;
    char field[16];
    std::snprintf(field, sizeof field, "S%c%02X", type, count);
    std::string line = field;
    for (unsigned i = addressBytes; i-- > 0;) {
        const unsigned byte = (address >> (8 * i)) & 0xFF;
        std::snprintf(field, sizeof field, "%02X", byte);
        line += field;
        sum += byte;
    }
    for (std::uint8_t byte : bytes) {
        std::snprintf(field, sizeof field, "%02X", byte);
        line += field;
        sum += byte;
    }
    std::snprintf(field, sizeof field, "%02X", ~sum & 0xFF);
    return line + field + lineEnd;
}

} // namespace

TEST(SrecEncoder, WritesHeaderSixteenByteRecordsCountAndTermination) {
    std::vector<std::uint8_t> image(20);
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i);
    EXPECT_EQ(encoded(image), "S0030000FC\r\n"
                              "S1130000000102030405060708090A0B0C0D0E0F74\r\n"
                              "S107001010111213A2\r\n"
                              "S5030002FA\r\n"
                              "S9030000FC\r\n");
    EXPECT_EQ(encoded({}), "S0030000FC\r\nS5030000FC\r\nS9030000FC\r\n");
}

TEST(SrecEncoder, TakesTheSmallestAddressFieldAndKnowsItsLength) {
    for (const std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{0x10000}, std::size_t{0x10001},
                                   std::size_t{0x100000}, std::size_t{8} << 20}) {
        const std::string text = encoded(patternBytes(size, 3));
        EXPECT_EQ(text.size(), srecTextLength(size)) << size;
        const char data = size <= 0x10000 ? '1' : '2';
        const char end = size <= 0x10000 ? '9' : '8';
        if (size > 0) {
            EXPECT_EQ(text[13], data) << size;
        }
        EXPECT_EQ(text[text.size() - (data == '1' ? 11 : 13)], end) << size;
        const SrecDecodeResult back = decoded(text);
        ASSERT_EQ(back.fault, SrecFault::None) << size;
        EXPECT_TRUE(imageOf(back) == patternBytes(size, 3)) << size;
    }
    // 524,288 records need the 24-bit count.
    EXPECT_NE(encoded(patternBytes(std::size_t{8} << 20)).find("\r\nS604080000"), std::string::npos);
}

TEST(SrecDecoder, ReadsEveryDataTypeWithGapsAndLowerCaseDigits) {
    std::string text = srecRecord('0', 0, 2, {'h', 'd', 'r'}) + srecRecord('1', 0x0002, 2, {0xAA, 0xBB}) +
                       srecRecord('2', 0x000010, 3, {0x01}) +
                       srecRecord('3', 0x00000008, 4, {0x02, 0x03}, "\n") + srecRecord('5', 3, 2, {}) +
                       srecRecord('7', 0x1234, 4, {});
    for (char& c : text)
        if (c >= 'A' && c <= 'F') c = static_cast<char>(c - 'A' + 'a');
    const SrecDecodeResult result = decoded(text);
    ASSERT_EQ(result.fault, SrecFault::None);
    EXPECT_EQ(result.entry, 0x1234u);
    std::vector<std::uint8_t> expected(0x11, 0xFF);
    expected[2] = 0xAA;
    expected[3] = 0xBB;
    expected[8] = 0x02;
    expected[9] = 0x03;
    expected[0x10] = 0x01;
    EXPECT_TRUE(imageOf(result) == expected);
    // A final count stands for the termination record.
    EXPECT_EQ(decoded(srecRecord('1', 0, 2, {1}) + srecRecord('5', 1, 2, {})).fault, SrecFault::None);
    // Whatever follows the termination record is not read.
    EXPECT_EQ(decoded(srecRecord('9', 0, 2, {}) + "garbage").fault, SrecFault::None);
}

TEST(SrecDecoder, RefusesEveryFaultWithItsLine) {
    const std::string header = srecRecord('0', 0, 2, {});
    const std::string data = srecRecord('1', 0, 2, {1, 2, 3});
    const std::string end = srecRecord('9', 0, 2, {});
    std::string badChecksum = data;
    badChecksum[badChecksum.size() - 3] ^= 1;
    struct Case {
        std::string text;
        SrecFault fault;
        std::size_t line;
    };
    const Case cases[] = {
        {":00000001FF\r\n", SrecFault::NotSrec, 1},
        {header + "\r\n \n" + data + "x\r\n" + end, SrecFault::NotSrec, 5}, // blank lines are skipped
        {header + srecRecord('4', 0, 2, {}) + end, SrecFault::BadRecordType, 2},
        {header + "SX030000FC\r\n", SrecFault::BadRecordType, 2},
        {header + data + "S1060000G10203F3\r\n" + end, SrecFault::BadDigit, 3},
        {header + "S1Z60000\r\n", SrecFault::BadDigit, 2},
        {header + "S10700000102F5\r\n" + end, SrecFault::BadLength, 2}, // one byte short
        {header + "S1020000\r\n" + end, SrecFault::BadLength, 2},       // no room for a checksum
        {header + srecRecord('9', 0, 2, {7}), SrecFault::BadLength, 2}, // data in a termination
        {header + data + badChecksum + end, SrecFault::BadChecksum, 3},
        {header + srecRecord('3', 0x800000, 4, {1}) + end, SrecFault::OutsideImage, 2},
        {header + srecRecord('3', 0x7FFFFF, 4, {1, 2}) + end, SrecFault::OutsideImage, 2},
        {header + data + srecRecord('5', 2, 2, {}) + end, SrecFault::BadRecordCount, 3},
        {header + data, SrecFault::NoTermination, 2},
        {header + srecRecord('5', 0, 2, {}) + data, SrecFault::NoTermination, 3},
        {"", SrecFault::NoTermination, 0},
    };
    for (const Case& c : cases) {
        const SrecDecodeResult result = decoded(c.text);
        EXPECT_EQ(result.fault, c.fault) << c.text;
        EXPECT_EQ(result.line, c.line) << c.text;
        EXPECT_TRUE(result.image.empty()) << c.text;
    }
    // The last byte of the image area can be written.
    const SrecDecodeResult last = decoded(srecRecord('3', 0x7FFFFF, 4, {9}) + srecRecord('7', 0, 4, {}));
    ASSERT_EQ(last.fault, SrecFault::None);
    EXPECT_EQ(last.image.size(), std::size_t{8} << 20);
    EXPECT_EQ(last.image[0x7FFFFF], 9);
}

namespace {

bool haveTool(const char* command) { return std::system(command) == 0; }

class SrecToolRoundTrip : public ::testing::TestWithParam<std::size_t> {
protected:
    ScratchFolder folder;
    std::vector<std::uint8_t> ours(const std::string& path) {
        const std::vector<std::uint8_t> text = readBytes(path);
        const SrecDecodeResult result = decodeSrec(text);
        EXPECT_EQ(result.fault, SrecFault::None) << result.line;
        return imageOf(result);
    }
    void writeOurs(const std::string& path, const std::vector<std::uint8_t>& image) {
        writeFile(path, encoded(image));
    }
};

} // namespace

TEST_P(SrecToolRoundTrip, Objcopy) {
    if (!haveTool("objcopy --version >/dev/null 2>&1")) GTEST_SKIP() << "objcopy is not installed";
    const std::vector<std::uint8_t> image = patternBytes(GetParam(), 5);
    writeOurs(folder.file("ours.srec"), image);
    ASSERT_EQ(std::system(("objcopy -I srec -O binary '" + folder.file("ours.srec") + "' '" +
                           folder.file("back.bin") + "'")
                              .c_str()),
              0);
    EXPECT_TRUE(readBytes(folder.file("back.bin")) == image);

    writeFile(folder.file("image.bin"), image);
    ASSERT_EQ(std::system(("objcopy -I binary -O srec '" + folder.file("image.bin") + "' '" +
                           folder.file("theirs.srec") + "'")
                              .c_str()),
              0);
    EXPECT_TRUE(ours(folder.file("theirs.srec")) == image);
}

TEST_P(SrecToolRoundTrip, SrecCat) {
    if (!haveTool("srec_cat -version >/dev/null 2>&1")) GTEST_SKIP() << "srec_cat is not installed";
    const std::vector<std::uint8_t> image = patternBytes(GetParam(), 9);
    writeOurs(folder.file("ours.s19"), image);
    ASSERT_EQ(std::system(
                  ("srec_cat '" + folder.file("ours.s19") + "' -o '" + folder.file("back.bin") + "' -binary")
                      .c_str()),
              0);
    EXPECT_TRUE(readBytes(folder.file("back.bin")) == image);

    writeFile(folder.file("image.bin"), image);
    ASSERT_EQ(std::system(("srec_cat '" + folder.file("image.bin") + "' -binary -o '" +
                           folder.file("theirs.s37") + "' -address-length=4")
                              .c_str()),
              0);
    EXPECT_TRUE(ours(folder.file("theirs.s37")) == image);
}

INSTANTIATE_TEST_SUITE_P(Sizes, SrecToolRoundTrip,
                         ::testing::Values(std::size_t{100}, std::size_t{64} << 10, std::size_t{1} << 20,
                                           std::size_t{8} << 20),
                         [](const ::testing::TestParamInfo<std::size_t>& size) {
                             return std::to_string(size.param) + "Bytes";
                         });

TEST(ImageFormatChoice, SRecordsAndElfByNameThenContent) {
    const auto bytes = [](const std::string& text) {
        return std::vector<std::uint8_t>(text.begin(), text.end());
    };
    const std::string srec = "S0030000FC\r\n";
    struct Case {
        const char* path;
        std::string text;
        ImageFormat format;
    };
    const Case cases[] = {
        {"a.srec", "", ImageFormat::Srec},
        {"a.S19", ":00000001FF\n", ImageFormat::Srec},
        {"a.s28", "", ImageFormat::Srec},
        {"a.s37", "", ImageFormat::Srec},
        {"a.MOT", "", ImageFormat::Srec},
        {"a.elf", srec, ImageFormat::Elf},
        {"a.out",
         "\x7F"
         "ELF",
         ImageFormat::Elf},
        {"a.txt", "\n  " + srec, ImageFormat::Srec},
        {"a.hex", srec, ImageFormat::Hex},
        {"a.bin",
         "\x7F"
         "ELF",
         ImageFormat::Binary},
        {"a.dat", "Sx", ImageFormat::Binary},
    };
    for (const Case& c : cases) EXPECT_EQ(chooseImageFormat(c.path, bytes(c.text)), c.format) << c.path;
}
