#include <gtest/gtest.h>

#include "image/hex_decoder.h"
#include "image/image_decoder.h"
#include "image/image_limits.h"
#include "unit/image_test_files.h"

using namespace tovel;
using namespace tovel::test;

namespace {

struct Decoded {
    HexOutcome outcome;
    std::vector<std::uint8_t> image;
    int questions = 0;
};

Decoded decode(const std::string& text, bool acceptBadChecksum = true) {
    Decoded result{};
    HexDecodeResult hex = decodeHex(asBytes(text), [&] {
        ++result.questions;
        return acceptBadChecksum;
    });
    result.outcome = hex.outcome;
    result.image = toVector(hex.image.span());
    return result;
}

std::vector<std::uint8_t> filledWith(std::size_t size, std::uint8_t value) {
    return std::vector<std::uint8_t>(size, value);
}

} // namespace

TEST(HexDecoder, GapsBetweenRecordsAreErasedBytesAndTheImageEndsAtTheHighestData) {
    std::string text;
    for (unsigned address = 0; address < 0x100; address += 16)
        text += hexRecord(0, address, filledWith(16, 0x11));
    text += hexRecord(0, 0x200, filledWith(16, 0x22)) + kEndRecord;
    const Decoded d = decode(text);
    ASSERT_EQ(d.outcome, HexOutcome::Decoded);
    ASSERT_EQ(d.image.size(), 0x210u);
    EXPECT_EQ(d.image[0xFF], 0x11);
    for (std::size_t i = 0x100; i < 0x200; ++i) ASSERT_EQ(d.image[i], 0xFF) << i;
    EXPECT_EQ(d.image[0x200], 0x22);
    EXPECT_EQ(d.questions, 0);
}

TEST(HexDecoder, RecordsOutOfOrderOverwriteAndKeepEarlierBytes) {
    const std::string text = hexRecord(0, 0x10, {1, 2, 3, 4}) + hexRecord(0, 0x0E, {9, 9, 9}) + kEndRecord;
    const Decoded d = decode(text);
    ASSERT_EQ(d.outcome, HexOutcome::Decoded);
    std::vector<std::uint8_t> expected(0x14, 0xFF);
    expected[0x0E] = 9, expected[0x0F] = 9, expected[0x10] = 9, expected[0x11] = 2, expected[0x12] = 3;
    expected[0x13] = 4;
    EXPECT_EQ(d.image, expected);
}

TEST(HexDecoder, AddressRecordsMoveTheBase) {
    // Segment 1000 places address 0 at 0x10000.
    Decoded d = decode(":020000021000EC\r\n" + hexRecord(0, 0, {0xAB, 0xCD}) + kEndRecord);
    ASSERT_EQ(d.outcome, HexOutcome::Decoded);
    ASSERT_EQ(d.image.size(), 0x10002u);
    EXPECT_EQ(d.image[0xFFFF], 0xFF);
    EXPECT_EQ(d.image[0x10000], 0xAB);

    // An extended linear address is the upper 16 bits: 0002 places address 0x10 at 0x20010.
    d = decode(hexRecord(4, 0, {0x00, 0x02}) + hexRecord(0, 0x10, {0x5A}) + kEndRecord);
    ASSERT_EQ(d.outcome, HexOutcome::Decoded);
    ASSERT_EQ(d.image.size(), 0x20011u);
    EXPECT_EQ(d.image[0x20010], 0x5A);
    EXPECT_EQ(d.image[0x10], 0xFF);

    // A later segment record replaces a linear base.
    d = decode(hexRecord(4, 0, {0x00, 0x02}) + ":020000020000FC\n" + hexRecord(0, 0, {7}) + kEndRecord);
    EXPECT_EQ(d.image, std::vector<std::uint8_t>{7});
}

TEST(HexDecoder, StartAddressRecordsHoldNoImageBytes) {
    const Decoded d = decode(hexRecord(0, 0, {1, 2}) + hexRecord(3, 0, {0x12, 0x34, 0x56, 0x78}) +
                             hexRecord(5, 0, {0x00, 0x00, 0x01, 0x00}) + kEndRecord);
    ASSERT_EQ(d.outcome, HexOutcome::Decoded);
    EXPECT_EQ(d.image, (std::vector<std::uint8_t>{1, 2}));
}

TEST(HexDecoder, TextThatIsNotHexFailsSilently) {
    const std::string data = hexRecord(0, 0, {1, 2, 3});
    const struct {
        const char* name;
        std::string text;
    } cases[] = {
        {"empty", ""},
        {"no colon", "10000000"},
        {"end record without line feed", data + ":00000001FF"},
        {"no end record", data},
        {"empty line between records", data + "\r\n" + kEndRecord},
        {"blank before the colon", " " + data + kEndRecord},
        {"line of 81 characters", ":" + std::string(81, '0') + "\n" + kEndRecord},
        {"35 data bytes and a carriage return", hexRecord(0, 0, filledWith(35, 1)) + kEndRecord},
    };
    for (const auto& c : cases) {
        const Decoded d = decode(c.text);
        EXPECT_EQ(d.outcome, HexOutcome::NotHex) << c.name;
        EXPECT_EQ(d.questions, 0) << c.name;
    }
}

TEST(HexDecoder, LinesUpToEightyCharactersAreAccepted) {
    // 35 bytes fill the 80 characters without a carriage return; 34 with one.
    Decoded d =
        decode(hexRecord(0, 0, filledWith(35, 3), "\n") + hexRecord(0, 35, filledWith(34, 4)) + kEndRecord);
    ASSERT_EQ(d.outcome, HexOutcome::Decoded);
    EXPECT_EQ(d.image.size(), 69u);
    EXPECT_EQ(d.image[68], 4);
}

TEST(HexDecoder, DefectiveRecordsAreErrorsOfTheHexFile) {
    const struct {
        const char* name;
        std::string text;
    } cases[] = {
        {"count that is not a number", ":G0000000FF\n" + kEndRecord},
        {"count longer than the line", ":10000000AABB00\n" + kEndRecord},
        {"line shorter than its header", ":000000\n" + kEndRecord},
        {"segment record without its value", ":02000002\n" + kEndRecord},
        {"address that is not a number", ":01G0000000FF\n" + kEndRecord},
        {"data reaching past 8 MiB", hexRecord(4, 0, {0x00, 0x80}) + hexRecord(0, 0, {1}) + kEndRecord},
        {"data crossing 8 MiB", hexRecord(4, 0, {0x00, 0x7F}) + hexRecord(0, 0xFFFF, {1, 2}) + kEndRecord},
        {"segment value that is not a number", ":02000002ZZ00FC\n" + hexRecord(0, 0, {1}) + kEndRecord},
    };
    for (const auto& c : cases) EXPECT_EQ(decode(c.text).outcome, HexOutcome::Malformed) << c.name;
}

TEST(HexDecoder, DataMayReachTheLastByteOfTheImageArea) {
    const Decoded d = decode(hexRecord(4, 0, {0x00, 0x7F}) + hexRecord(0, 0xFFFF, {0x42}) + kEndRecord);
    ASSERT_EQ(d.outcome, HexOutcome::Decoded);
    ASSERT_EQ(d.image.size(), kMaxImageSize);
    EXPECT_EQ(d.image.back(), 0x42);
    EXPECT_EQ(d.image[0], 0xFF);
}

TEST(HexDecoder, BadChecksumIsAskedAboutOnceAndOnlyForDataRecords) {
    std::string text = ":0400000001020304F0\r\n"; // checksum should be F2
    text += ":0100040005F0\r\n";                  // should be F6
    text += ":020000020000AA\r\n";                // segment record: never checked
    text += hexRecord(0, 5, {6});
    text += ":0000000100\r\n"; // end record: never checked
    Decoded d = decode(text, true);
    ASSERT_EQ(d.outcome, HexOutcome::Decoded);
    EXPECT_EQ(d.questions, 1);
    EXPECT_EQ(d.image, (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6}));

    d = decode(text, false);
    EXPECT_EQ(d.outcome, HexOutcome::ChecksumDeclined);
    EXPECT_EQ(d.questions, 1);
}

TEST(HexDecoder, AcceptsLowerCaseZeroLengthRecordsAndIgnoresTextAfterTheEnd) {
    const Decoded d = decode(":00000000000\n:02000000abcd86\n:00000001FF\nrubbish without a line end");
    ASSERT_EQ(d.outcome, HexOutcome::Decoded);
    EXPECT_EQ(d.image, (std::vector<std::uint8_t>{0xAB, 0xCD}));
    EXPECT_EQ(d.questions, 0);
}

TEST(ImageDecoder, FallsBackToTheRawBytesAndReportsWhy) {
    const std::string hex = hexRecord(0, 0, {1, 2, 3}) + kEndRecord;
    const auto never = [] { return false; };

    DecodedImage d = decodeImage(asBytes(hex), false, never);
    EXPECT_EQ(d.format, ImageFormat::Hex);
    EXPECT_EQ(toVector(d.image->span()), (std::vector<std::uint8_t>{1, 2, 3}));

    d = decodeImage(asBytes(hex), true, never); // named .bin: not even tried
    EXPECT_EQ(d.format, ImageFormat::Binary);
    EXPECT_EQ(toVector(d.image->span()), toVector(asBytes(hex)));
    EXPECT_FALSE(d.hexError);

    const std::string bad = ":G0000000\n" + kEndRecord;
    d = decodeImage(asBytes(bad), false, never);
    EXPECT_EQ(d.format, ImageFormat::Binary);
    EXPECT_TRUE(d.hexError);
    EXPECT_EQ(toVector(d.image->span()), toVector(asBytes(bad)));

    d = decodeImage({}, false, never);
    ASSERT_TRUE(d.image.has_value());
    EXPECT_EQ(d.image->size(), 0u);
    EXPECT_FALSE(d.hexError);
}

TEST(ImageDecoder, BinaryImagesStopAtEightMebibytes) {
    const std::vector<std::uint8_t> text(kMaxImageSize + 100, 0x5A);
    const DecodedImage d = decodeImage(text, false, [] { return true; });
    EXPECT_EQ(d.image->size(), kMaxImageSize);
}
