#include <gtest/gtest.h>

#include <sstream>

#include "image/hex_decoder.h"
#include "image/hex_encoder.h"
#include "unit/image_test_files.h"

using namespace tovel;
using namespace tovel::test;

namespace {

std::string encode(const std::vector<std::uint8_t>& data) {
    std::string text;
    const bool done = encodeHex(data, [&](std::span<const char> chunk) {
        text.append(chunk.data(), chunk.size());
        return true;
    });
    EXPECT_TRUE(done);
    return text;
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start) + "<no CRLF>");
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

std::vector<std::string> addressRecords(const std::vector<std::string>& lines) {
    std::vector<std::string> found;
    for (const std::string& line : lines)
        if (line.compare(7, 2, "00") != 0 && line != ":00000001FF") found.push_back(line);
    return found;
}

} // namespace

TEST(HexEncoder, TwentyBytesMakeASixteenAndAFourByteRecord) {
    std::vector<std::uint8_t> data(20);
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(0xA0 + i);
    EXPECT_EQ(encode(data), ":10000000A0A1A2A3A4A5A6A7A8A9AAABACADAEAF78\r\n"
                            ":04001000B0B1B2B326\r\n"
                            ":00000001FF\r\n");
    EXPECT_EQ(encode({}), ":00000001FF\r\n");
}

TEST(HexEncoder, SegmentRecordsStartAtSixtyFourKibibytes) {
    std::vector<std::string> lines = linesOf(encode(std::vector<std::uint8_t>(65535, 0xFF)));
    EXPECT_TRUE(addressRecords(lines).empty());
    EXPECT_EQ(lines.size(), 4097u);

    lines = linesOf(encode(std::vector<std::uint8_t>(65536, 0xFF)));
    ASSERT_EQ(lines.size(), 1u + 4096u + 1u);
    EXPECT_EQ(lines.front(), ":020000020000FC");
    EXPECT_EQ(lines[1], ":10000000FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF00");
    EXPECT_EQ(lines[4096], ":10FFF000FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF11");
    EXPECT_EQ(lines.back(), ":00000001FF");

    lines = linesOf(encode(std::vector<std::uint8_t>(3 * 65536 + 1, 0)));
    EXPECT_EQ(addressRecords(lines), (std::vector<std::string>{":020000020000FC", ":020000021000EC",
                                                               ":020000022000DC", ":020000023000CC"}));
    EXPECT_EQ(lines[lines.size() - 2], ":0100000000FF");
}

TEST(HexEncoder, OneMebibyteUsesSegmentsAndLargerImagesUseLinearAddresses) {
    std::vector<std::string> records = addressRecords(linesOf(encode(std::vector<std::uint8_t>(1 << 20, 0))));
    ASSERT_EQ(records.size(), 16u);
    EXPECT_EQ(records.back(), ":02000002F0000C");

    records = addressRecords(linesOf(encode(std::vector<std::uint8_t>((1 << 20) + 1, 0))));
    ASSERT_EQ(records.size(), 17u);
    EXPECT_EQ(records[0], ":020000040000FA");
    EXPECT_EQ(records[1], ":020000040001F9");
    EXPECT_EQ(records[16], ":020000040010EA");
}

TEST(HexEncoder, WhatItWritesReadsBackUnchanged) {
    for (std::size_t size : {0, 1, 17, 65535, 65536 + 5, (1 << 20) + 3}) {
        const std::vector<std::uint8_t> data = patternBytes(size, static_cast<std::uint32_t>(size));
        const std::string text = encode(data);
        EXPECT_EQ(text.size(), hexTextLength(size)) << size; // the disk space set aside
        HexDecodeResult back = decodeHex(asBytes(text), [] { return false; });
        ASSERT_EQ(back.outcome, HexOutcome::Decoded) << size;
        EXPECT_EQ(toVector(back.image.span()), data) << size;
    }
}
