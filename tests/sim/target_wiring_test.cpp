// The target circuit around the chip: power, MISO and reset wires, and a chip clock too slow for
// fast SCK periods. What the board reads back is what the connection doctor judges.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "sim/board_model.h"
#include "sim/command_line.h"
#include "sim_test_support.h"

using namespace tovel::sim;
using namespace tovel::sim::test;

namespace {

// A programming session at the SCK `code`, then the three signature bytes read three times.
std::vector<Bytes> signatureReads(BoardModel& board, std::uint8_t code) {
    board.exchange(bytes({'&', 0x02}));
    board.exchange(bytes({'#', 0x00, code, 0x00}));
    board.exchange(text("Q"));
    board.exchange(text("="));
    std::vector<Bytes> reads;
    for (int n = 0; n < 3; ++n) {
        Bytes read;
        for (int i = 0; i < 3; ++i) {
            const Bytes reply = board.exchange(bytes({'5', 0x30, 0x00, i}));
            read.insert(read.end(), reply.begin(), reply.end());
        }
        reads.push_back(read);
    }
    board.exchange(text("-"));
    return reads;
}

SimOptions withArguments(const std::vector<std::string>& arguments) {
    const CommandLine parsed = parseCommandLine(arguments);
    EXPECT_TRUE(parsed.error.empty()) << parsed.error;
    return parsed.options;
}

} // namespace

TEST(TargetWiring, PowerMisoAndResetFaultsReadAsTheDoctorExpects) {
    const Bytes signature = bytes({0x1E, 0x93, 0x07});
    BoardModel healthy(withArguments({}));
    EXPECT_EQ(signatureReads(healthy, 0x82)[0], signature);

    BoardModel unpowered(withArguments({"--no-target-power"}));
    EXPECT_EQ(signatureReads(unpowered, 0x82)[2], bytes({0x00, 0x00, 0x00}));
    BoardModel misoOpen(withArguments({"--miso-open"}));
    EXPECT_EQ(signatureReads(misoOpen, 0x82)[2], bytes({0xFF, 0xFF, 0xFF}));
    BoardModel resetOpen(withArguments({"--reset-open"}));
    EXPECT_EQ(signatureReads(resetOpen, 0x82)[2], bytes({0xFF, 0xFF, 0xFF}));
}

TEST(TargetWiring, ASlowChipClockGarblesOnlyShorterPeriods) {
    BoardModel board(withArguments({"--slow-chip-clock", "8000"}));
    // 4 us (code 82) is too fast: the three reads differ from the signature and from each other.
    const std::vector<Bytes> fast = signatureReads(board, 0x82);
    // Compared as text: a set of byte vectors trips a false GCC 12 -O3 warning.
    std::set<std::string> distinct;
    for (const Bytes& read : fast) distinct.insert(std::string(read.begin(), read.end()));
    EXPECT_EQ(distinct.size(), 3u);
    EXPECT_EQ(distinct.count(std::string("\x1E\x93\x07")), 0u);
    // 8 us (code 02) and slower read true.
    for (const std::uint8_t code : {std::uint8_t{0x02}, std::uint8_t{0x03}, std::uint8_t{0xFF}})
        for (const Bytes& read : signatureReads(board, code))
            EXPECT_EQ(read, bytes({0x1E, 0x93, 0x07})) << int(code);

    EXPECT_FALSE(parseCommandLine({"--slow-chip-clock", "fast"}).error.empty());
}
