// AT25 serial EEPROMs and AT45 DataFlash through the board's frame commands.
#include <gtest/gtest.h>

#include "sim/board_model.h"
#include "sim_test_support.h"

using namespace tovel::sim;
using namespace tovel::sim::test;

namespace {

void at25Frame(BoardModel& board, const Bytes& spiBytes) {
    ASSERT_EQ(board.exchange(text("9")), bytes({0x0D}));
    for (std::uint8_t b : spiBytes) ASSERT_EQ(board.exchange(bytes({'6', b})), bytes({0x0D}));
    ASSERT_EQ(board.exchange(text("8")), bytes({0x0D}));
}

// The programming worker's AT25 path.
void at25Program(BoardModel& board, const Bytes& data, std::size_t pageSize) {
    board.exchange(text("9"));
    board.exchange(text("8"));
    for (std::size_t o = 0; o < data.size(); o += pageSize) {
        at25Frame(board, bytes({0x06}));
        Bytes frame = bytes({0x02, static_cast<int>(o >> 8), static_cast<int>(o & 0xFF)});
        frame.insert(frame.end(), data.begin() + static_cast<std::ptrdiff_t>(o),
                     data.begin() + static_cast<std::ptrdiff_t>(std::min(data.size(), o + pageSize)));
        at25Frame(board, frame);
        at25Frame(board, bytes({0x04}));
    }
    EXPECT_EQ(board.exchange(text("-")), bytes({0x0D}));
}

Bytes at25Read(BoardModel& board, std::size_t address, std::size_t n) {
    board.exchange(text("9"));
    for (int b : {0x03, static_cast<int>(address >> 8), static_cast<int>(address & 0xFF)})
        board.exchange(bytes({'6', b}));
    Bytes out;
    for (std::size_t i = 0; i < n; ++i) {
        const Bytes r = board.exchange(text("7"));
        out.insert(out.end(), r.begin(), r.end());
    }
    board.exchange(text("8"));
    return out;
}

Bytes ramp(std::size_t n) {
    Bytes data(n);
    for (std::size_t i = 0; i < n; ++i) data[i] = static_cast<std::uint8_t>(i + 1);
    return data;
}

} // namespace

TEST(SerialMemory, At25256TwoPageWriteAndReadBack) {
    BoardModel board(chipOptions("AT25256"));
    openAt89Session(board, 0, false);
    const Bytes data = ramp(100);
    at25Program(board, data, 64);
    const ChipMemories chip = board.memories();
    EXPECT_TRUE(std::equal(data.begin(), data.end(), chip.eeprom.begin()));
    EXPECT_EQ(chip.eeprom[100], 0xFF);
    EXPECT_EQ(at25Read(board, 0, 100), data);
    EXPECT_EQ(at25Read(board, 0x7FFF, 2), bytes({0xFF, 0x01})); // reads roll over
}

TEST(SerialMemory, At25WritesNeedWriteEnableAndWrapWithinThePage) {
    BoardModel board(chipOptions("AT25HP256"));
    at25Frame(board, bytes({0x02, 0x00, 0x00, 0x11}));
    EXPECT_EQ(board.memories().eeprom[0], 0xFF);
    at25Frame(board, bytes({0x06}));
    at25Frame(board, bytes({0x04}));
    at25Frame(board, bytes({0x02, 0x00, 0x00, 0x11}));
    EXPECT_EQ(board.memories().eeprom[0], 0xFF);
    // 128-byte pages: two bytes from offset 127 of page 1 wrap to its start.
    at25Frame(board, bytes({0x06}));
    at25Frame(board, bytes({0x02, 0x00, 0xFF, 0xAA, 0xBB}));
    EXPECT_EQ(board.memories().eeprom[0xFF], 0xAA);
    EXPECT_EQ(board.memories().eeprom[0x80], 0xBB);
    EXPECT_EQ(board.memories().eeprom[0x100], 0xFF);
    // The latch is cleared by the write.
    at25Frame(board, bytes({0x02, 0x00, 0x00, 0x11}));
    EXPECT_EQ(board.memories().eeprom[0], 0xFF);
}

TEST(SerialMemory, At45ProgramsThroughBuffer1AndReadsContinuously) {
    BoardModel board(chipOptions("AT45DB041"));
    board.exchange(bytes({'&', 0}));
    board.exchange(text("k"));
    const Bytes data = ramp(300); // a page of 264 and 36 bytes
    for (std::size_t p = 0; p * 264 < data.size(); ++p) {
        const std::size_t o = p * 264;
        EXPECT_EQ(board.exchange(text("l")), bytes({0x0D}));
        EXPECT_EQ(board.exchange(bytes({'0', 0x00, 0x04, 0x84, 0x00, 0x00, 0x00})), bytes({0x0D}));
        Bytes block = bytes({'0', 264 >> 8, 264 & 0xFF});
        for (std::size_t i = 0; i < 264; ++i) block.push_back(o + i < data.size() ? data[o + i] : 0xFF);
        EXPECT_EQ(board.exchange(block), bytes({0x0D}));
        board.exchange(text("k"));
        board.exchange(text("l"));
        const std::size_t a = p << 1;
        EXPECT_EQ(board.exchange(bytes(
                      {'0', 0x00, 0x04, 0x83, static_cast<int>(a >> 8), static_cast<int>(a & 0xFF), 0x00})),
                  bytes({0x0D}));
        board.exchange(text("k"));
    }
    EXPECT_TRUE(std::equal(data.begin(), data.end(), board.memories().flash.begin()));

    board.exchange(text("k"));
    board.exchange(text("l"));
    board.exchange(bytes({'0', 0x00, 0x08, 0xE8, 0, 0, 0, 0, 0, 0, 0}));
    const Bytes first = board.exchange(bytes({'1', 264 >> 8, 264 & 0xFF}));
    const Bytes second = board.exchange(bytes({'1', 0x00, 36}));
    ASSERT_EQ(first.size(), 265u);
    EXPECT_EQ(first.back(), 0x0D);
    Bytes read(first.begin(), first.end() - 1);
    read.insert(read.end(), second.begin(), second.end() - 1);
    EXPECT_EQ(read, data);
}

TEST(SerialMemory, At45BlockEraseClearsEightPages) {
    BoardModel board(chipOptions("AT45DB041"));
    ChipMemories m = board.memories();
    m.flash.assign(m.flash.size(), 0x00);
    board.setMemories(m);
    board.exchange(text("k"));
    for (int block = 0; block < 16; block += 8) {
        board.exchange(text("l"));
        const int a = block << 1;
        const Bytes command = bytes({'0', 0x00, 0x04, 0x50, a >> 8, a & 0xFF, 0x00});
        if (block == 8) {
            EXPECT_EQ(command, bytes({0x30, 0x00, 0x04, 0x50, 0x00, 0x10, 0x00}));
        }
        EXPECT_EQ(board.exchange(command), bytes({0x0D}));
        board.exchange(text("k"));
    }
    const Bytes& flash = board.memories().flash;
    EXPECT_TRUE(
        std::all_of(flash.begin(), flash.begin() + 16 * 264, [](std::uint8_t b) { return b == 0xFF; }));
    EXPECT_EQ(flash[16 * 264], 0x00);
}

TEST(SerialMemory, At45StatusCarriesEachPartsDensity) {
    const std::pair<const char*, int> parts[] = {{"AT45DB041", 0x9C},
                                                 {"AT45DB081", 0xA4},
                                                 {"AT45DB161", 0xAC},
                                                 {"AT45DB321", 0xB4},
                                                 {"AT45DB642", 0xBC}};
    for (const auto& [name, status] : parts) {
        BoardModel board(chipOptions(name));
        board.exchange(text("l"));
        board.exchange(bytes({'6', 0xD7}));
        EXPECT_EQ(board.exchange(text("7")), bytes({status})) << name;
    }
}
