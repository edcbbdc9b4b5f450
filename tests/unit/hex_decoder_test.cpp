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

TEST(HexDecoder, TakesEveryValidLayoutOfTheSameImage) {
    std::vector<std::uint8_t> bytes(600);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + 1);
    const auto records = [&](std::size_t perRecord, const char* lineEnd) {
        std::string text;
        for (std::size_t at = 0; at < bytes.size(); at += perRecord) {
            const std::size_t n = std::min(perRecord, bytes.size() - at);
            text += hexRecord(
                0, static_cast<unsigned>(at),
                {bytes.begin() + static_cast<long>(at), bytes.begin() + static_cast<long>(at + n)}, lineEnd);
        }
        return text;
    };
    const struct {
        const char* name;
        std::string text;
    } cases[] = {
        {"16 bytes, CR LF", records(16, "\r\n") + kEndRecord},
        {"32 bytes, LF", records(32, "\n") + ":00000001FF\n"},
        {"33 bytes, the first length the old reader refused", records(33, "\r\n") + kEndRecord},
        {"64 bytes, CR only", records(64, "\r") + ":00000001FF\r"},
        {"255 bytes", records(255, "\r\n") + kEndRecord},
        {"1 byte", records(1, "\n") + kEndRecord},
        {"no line end after the end record", records(16, "\r\n") + ":00000001FF"},
        {"byte-order mark", "\xEF\xBB\xBF" + records(16, "\r\n") + kEndRecord},
        {"blank lines and blanks", "\r\n\n  " + records(16, "  \r\n\r\n") + "\t" + kEndRecord + "\n\n"},
        {"lower-case digits",
         [&] {
             std::string text = records(16, "\n") + kEndRecord;
             for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
             return text;
         }()},
        {"text after the end record", records(16, "\n") + kEndRecord + "written by a tool\n"},
    };
    for (const auto& c : cases) {
        const Decoded d = decode(c.text);
        ASSERT_EQ(d.outcome, HexOutcome::Decoded) << c.name;
        EXPECT_EQ(d.image, bytes) << c.name;
        EXPECT_EQ(d.questions, 0) << c.name;
    }
}

TEST(HexDecoder, RefusesWithTheLineAndTheReason) {
    const std::string data = hexRecord(0, 0, {1, 2, 3});
    const struct {
        const char* name;
        std::string text;
        ImageErrorKind kind;
        std::size_t line;
    } cases[] = {
        {"empty", "", ImageErrorKind::NoEndRecord, 1},
        {"no end record: cut at a line end", data + data, ImageErrorKind::NoEndRecord, 3},
        {"cut in the middle of a line", data + ":10001000AABB", ImageErrorKind::RecordCutShort, 2},
        {"no colon", "10000000\n", ImageErrorKind::NoColon, 1},
        {"a NUL before the first record", std::string(1, '\0') + data + kEndRecord, ImageErrorKind::NoColon,
         1},
        {"binary text", "\x0C\x94\x34\x00", ImageErrorKind::NoColon, 1},
        {"count that is not a number", ":G0000000FF\n" + kEndRecord, ImageErrorKind::NotHexDigit, 1},
        {"count longer than the line", data + ":10000000AABB00\n" + kEndRecord,
         ImageErrorKind::RecordCutShort, 2},
        {"line shorter than its header", ":000000\n" + kEndRecord, ImageErrorKind::RecordCutShort, 1},
        {"digit missing (odd count)", ":0100000001FE0\n" + kEndRecord, ImageErrorKind::OddDigitCount, 1},
        {"characters after the checksum", ":0100000001FE junk\n" + kEndRecord,
         ImageErrorKind::TrailingCharacters, 1},
        {"a byte too many", ":0100000001FEFE\n" + kEndRecord, ImageErrorKind::TrailingCharacters, 1},
        {"segment record without its value", ":02000002\n" + kEndRecord, ImageErrorKind::RecordCutShort, 1},
        {"address that is not a number", ":01G0000000FF\n" + kEndRecord, ImageErrorKind::NotHexDigit, 1},
        {"data reaching past 8 MiB", hexRecord(4, 0, {0x00, 0x80}) + hexRecord(0, 0, {1}) + kEndRecord,
         ImageErrorKind::BeyondImageArea, 2},
        {"data crossing 8 MiB", hexRecord(4, 0, {0x00, 0x7F}) + hexRecord(0, 0xFFFF, {1, 2}) + kEndRecord,
         ImageErrorKind::BeyondImageArea, 2},
        {"segment value that is not a number", ":02000002ZZ00FC\n" + data + kEndRecord,
         ImageErrorKind::NotHexDigit, 1},
        {"type 06", data + hexRecord(6, 0, {1}) + kEndRecord, ImageErrorKind::UnknownRecordType, 2},
        {"segment record of three bytes", hexRecord(2, 0, {0x10, 0x00, 0x00}) + kEndRecord,
         ImageErrorKind::BadAddressRecord, 1},
    };
    for (const auto& c : cases) {
        const HexDecodeResult result = decodeHex(asBytes(c.text), [] { return true; });
        EXPECT_EQ(result.outcome, HexOutcome::Malformed) << c.name;
        EXPECT_EQ(result.error.kind, c.kind) << c.name;
        EXPECT_EQ(result.error.line, c.line) << c.name;
    }
    EXPECT_EQ(decodeHex(asBytes(data + hexRecord(6, 0, {1}) + kEndRecord), {}).error.value, 6u);
}

TEST(HexDecoder, DataMayReachTheLastByteOfTheImageArea) {
    const Decoded d = decode(hexRecord(4, 0, {0x00, 0x7F}) + hexRecord(0, 0xFFFF, {0x42}) + kEndRecord);
    ASSERT_EQ(d.outcome, HexOutcome::Decoded);
    ASSERT_EQ(d.image.size(), kMaxImageSize);
    EXPECT_EQ(d.image.back(), 0x42);
    EXPECT_EQ(d.image[0], 0xFF);
}

TEST(HexDecoder, EveryRecordsChecksumIsCheckedAndAskedAboutOnce) {
    std::string text = ":0400000001020304F0\r\n"; // checksum should be F2
    text += ":0100040005F0\r\n";                  // should be F6
    text += hexRecord(0, 5, {6});
    text += ":0000000100\r\n"; // end record, should be FF
    Decoded d = decode(text, true);
    ASSERT_EQ(d.outcome, HexOutcome::Decoded);
    EXPECT_EQ(d.questions, 1);
    EXPECT_EQ(d.image, (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6}));

    d = decode(text, false);
    EXPECT_EQ(d.outcome, HexOutcome::ChecksumDeclined);
    EXPECT_EQ(d.questions, 1);

    // One flipped digit in a segment record (1000 -> 3000) would move the data to 0x30000.
    const std::string moved = ":020000023000EC\r\n" + hexRecord(0, 0, {0xAB}) + kEndRecord;
    d = decode(moved, false);
    EXPECT_EQ(d.outcome, HexOutcome::ChecksumDeclined);
    EXPECT_EQ(d.questions, 1);
    const HexDecodeResult declined = decodeHex(asBytes(moved), [] { return false; });
    EXPECT_EQ(declined.error.kind, ImageErrorKind::BadChecksum);
    EXPECT_EQ(declined.error.line, 1u);

    // The same in an extended linear address record, and in the end record alone.
    EXPECT_EQ(decode(":02000004000AF1\n" + hexRecord(0, 0, {1}) + kEndRecord, false).outcome,
              HexOutcome::ChecksumDeclined);
    EXPECT_EQ(decode(hexRecord(0, 0, {1}) + ":00000001FE\n", false).outcome, HexOutcome::ChecksumDeclined);
}

TEST(ImageDecoder, TheNameDecidesAndOtherwiseTheFirstCharacter) {
    const std::string hex = hexRecord(0, 0, {1, 2, 3}) + kEndRecord;
    const struct {
        const char* path;
        std::string text;
        ImageFormat format;
    } cases[] = {
        {"a.hex", hex, ImageFormat::Hex},
        {"a.HEX", "binary", ImageFormat::Hex},
        {"a.Eep", "", ImageFormat::Hex},
        {"a.bin", hex, ImageFormat::Binary},
        {"a.BIN", hex, ImageFormat::Binary},
        {"a.txt", hex, ImageFormat::Hex},
        {"a.ihx", "\xEF\xBB\xBF \r\n\t" + hex, ImageFormat::Hex},
        {"a.dat", std::string(1, '\0') + hex, ImageFormat::Binary},
        {"a", "\x0C\x94", ImageFormat::Binary},
        {"a.dat", "", ImageFormat::Binary},
    };
    for (const auto& c : cases) EXPECT_EQ(chooseImageFormat(c.path, asBytes(c.text)), c.format) << c.path;
}

TEST(ImageDecoder, HexThatDoesNotDecodeGivesNoImageAtAll) {
    const auto never = [] { return false; };
    const std::string hex = hexRecord(0, 0, {1, 2, 3}) + kEndRecord;

    DecodedImage d = decodeImage(asBytes(hex), ImageFormat::Hex, never);
    EXPECT_EQ(d.status, DecodeStatus::Decoded);
    EXPECT_EQ(toVector(d.image->span()), (std::vector<std::uint8_t>{1, 2, 3}));

    d = decodeImage(asBytes(hex), ImageFormat::Binary, never);
    EXPECT_EQ(toVector(d.image->span()), toVector(asBytes(hex)));

    d = decodeImage(asBytes(":G0000000\n" + kEndRecord), ImageFormat::Hex, never);
    EXPECT_EQ(d.status, DecodeStatus::HexError);
    EXPECT_FALSE(d.image.has_value());

    d = decodeImage(asBytes(":0100000001FF\n" + kEndRecord), ImageFormat::Hex, never);
    EXPECT_EQ(d.status, DecodeStatus::ChecksumDeclined);
    EXPECT_FALSE(d.image.has_value());
}
