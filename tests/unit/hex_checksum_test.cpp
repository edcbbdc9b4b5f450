// A record's checksum is judged on all eight bits: a wrong bit anywhere in it is asked about.
#include <gtest/gtest.h>

#include <cstdio>

#include "image/hex_decoder.h"
#include "unit/image_test_files.h"

using namespace tovel;
using namespace tovel::test;

TEST(HexChecksum, EveryWrongBitOfTheChecksumIsAskedAbout) {
    for (int bit = 0; bit < 8; ++bit) {
        char record[32];
        // 04 00 00 00 01 02 03 04 sums to 0x0E; the right checksum is 0xF2.
        std::snprintf(record, sizeof record, ":0400000001020304%02X\r\n", 0xF2 ^ (1 << bit));
        int questions = 0;
        const HexDecodeResult hex = decodeHex(asBytes(record), [&] {
            ++questions;
            return false;
        });
        EXPECT_EQ(hex.outcome, HexOutcome::ChecksumDeclined) << "bit " << bit;
        EXPECT_EQ(questions, 1) << "bit " << bit;
    }
}
