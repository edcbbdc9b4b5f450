// AVR chips driven through the board exactly as the host drives them.
#include <gtest/gtest.h>

#include <numeric>

#include "sim/board_model.h"
#include "sim_test_support.h"

using namespace tovel::sim;
using namespace tovel::sim::test;

namespace {

Bytes pattern(std::size_t n, int seed) {
    Bytes data(n);
    for (std::size_t i = 0; i < n; ++i)
        data[i] = static_cast<std::uint8_t>((i * 7 + static_cast<std::size_t>(seed)) & 0xFF);
    return data;
}

// Page mode as the programming worker does it: quarter-page loads, then the page write.
void programPages(BoardModel& board, const Bytes& data, std::size_t pageBytes, bool sendPageWrite = true) {
    EXPECT_EQ(board.exchange(bytes({'W', 0xDC})), bytes({0x0D}));
    EXPECT_EQ(board.exchange(bytes({':', 0, 0})), bytes({0x0D}));
    const std::size_t quarter = pageBytes / 4;
    for (std::size_t o = 0; o < data.size(); o += pageBytes) {
        Bytes page(pageBytes, 0xFF);
        std::copy(data.begin() + static_cast<std::ptrdiff_t>(o),
                  data.begin() + static_cast<std::ptrdiff_t>(std::min(data.size(), o + pageBytes)),
                  page.begin());
        for (std::size_t q = 0; q < 4; ++q) {
            // Filled in place: GCC 12 at -O3 misjudges an insert after a two-byte vector.
            Bytes load(2 + quarter);
            load[0] = '{';
            load[1] = static_cast<std::uint8_t>(quarter);
            std::copy_n(page.begin() + static_cast<std::ptrdiff_t>(q * quarter), quarter, load.begin() + 2);
            EXPECT_EQ(board.exchange(load), bytes({0x0D}));
        }
        if (sendPageWrite) {
            const Bytes pageWrite = bytes(
                {'4', 0x4C, static_cast<int>((o >> 9) & 0xFF), static_cast<int>((o >> 1) & 0xFF), 0x00});
            if (data.size() == 100) { // the two page commands of the 100-byte example
                EXPECT_EQ(pageWrite, o == 0 ? bytes({0x34, 0x4C, 0x00, 0x00, 0x00})
                                            : bytes({0x34, 0x4C, 0x00, 0x20, 0x00}));
            }
            EXPECT_EQ(board.exchange(pageWrite), bytes({0x0D}));
        }
    }
}

Bytes readFlash(BoardModel& board, std::size_t n) {
    board.exchange(bytes({'W', 0xDC}));
    Bytes out;
    for (std::size_t o = 0; o < n; o += 64) {
        const Bytes chunk = board.exchange(bytes({'}', static_cast<int>(std::min<std::size_t>(64, n - o))}));
        out.insert(out.end(), chunk.begin(), chunk.end());
    }
    return out;
}

} // namespace

TEST(AvrChip, Atmega8HundredBytesGoInTwoPagesAndReadBack) {
    BoardModel board(chipOptions("ATmega8"));
    openAvrSession(board, 2);
    const Bytes data = pattern(100, 3);
    programPages(board, data, 64);
    const ChipMemories chip = board.memories();
    EXPECT_TRUE(std::equal(data.begin(), data.end(), chip.flash.begin()));
    EXPECT_TRUE(
        std::all_of(chip.flash.begin() + 100, chip.flash.end(), [](std::uint8_t b) { return b == 0xFF; }));
    // A read in the same session continues at the pointer; a new session starts at 0.
    board.exchange(text("-"));
    openAvrSession(board, 2);
    EXPECT_EQ(readFlash(board, 100), data);
}

TEST(AvrChip, NothingReachesFlashWithoutThePageWriteAndFlashOnlyClearsBits) {
    BoardModel board(chipOptions("ATmega8"));
    openAvrSession(board, 2);
    programPages(board, pattern(64, 1), 64, false);
    EXPECT_EQ(board.memories().flash[0], 0xFF);

    ChipMemories m = board.memories();
    m.flash[0] = 0x0F;
    board.setMemories(m);
    programPages(board, bytes({0xF0, 0x33}), 64);
    EXPECT_EQ(board.memories().flash[0], 0x00); // programmed over old data without an erase
    EXPECT_EQ(board.memories().flash[1], 0x33);
    board.exchange(bytes({'4', 0xAC, 0x80, 0x04, 0x00}));
    EXPECT_EQ(board.memories().flash[0], 0xFF);
}

TEST(AvrChip, ByteWritePartsWriteEachFlashAndEepromByte) {
    BoardModel board(chipOptions("AT90S2313"));
    openAvrSession(board, 0);
    board.exchange(bytes({'W', 0xDC}));
    EXPECT_EQ(board.exchange(concat(bytes({'{', 3}), bytes({0x11, 0x22, 0x33}))), bytes({0x0D}));
    EXPECT_EQ(board.exchange(concat(bytes({'>', 2}), bytes({0x44, 0x55}))), bytes({0x0D}));
    const ChipMemories chip = board.memories();
    EXPECT_EQ(chip.flash[0], 0x11);
    EXPECT_EQ(chip.flash[2], 0x33);
    // The address pointer is shared: the EEPROM bytes went to 3 and 4.
    EXPECT_EQ(chip.eeprom[3], 0x44);
    EXPECT_EQ(chip.eeprom[4], 0x55);
    EXPECT_EQ(board.exchange(bytes({':', 0, 3})), bytes({0x0D}));
    EXPECT_EQ(board.exchange(bytes({'<', 2})), bytes({0x44, 0x55}));
}

TEST(AvrChip, ExtendedAddressReachesTheUpperHalfOfA256KPart) {
    BoardModel board(chipOptions("ATmega2560/2561"));
    openAvrSession(board, 2);
    // The board loads the extended address while it reads past 128 KiB.
    ChipMemories m = board.memories();
    m.flash[0x20000] = 0xAB;
    m.flash[0] = 0xCD;
    board.setMemories(m);
    EXPECT_EQ(board.exchange(bytes({'4', 0x4D, 0x00, 0x01, 0x00})), bytes({0x0D}));
    EXPECT_EQ(spiRead(board, 0x20, 0x00, 0x00), 0xAB);
    board.exchange(bytes({'4', 0x4D, 0x00, 0x00, 0x00}));
    EXPECT_EQ(spiRead(board, 0x20, 0x00, 0x00), 0xCD);
    // Page loads and a page write with the extended address set land above 128 KiB.
    board.exchange(bytes({'4', 0x4D, 0x00, 0x01, 0x00}));
    board.exchange(bytes({'4', 0x40, 0x00, 0x01, 0x5A}));
    board.exchange(bytes({'4', 0x4C, 0x00, 0x00, 0x00}));
    EXPECT_EQ(board.memories().flash[0x20002], 0x5A);
    EXPECT_EQ(board.memories().flash[2], 0xFF);
    // The board's own reads load the extended address for its pointer, whatever the host set.
    board.exchange(bytes({':', 0, 0}));
    EXPECT_EQ(board.exchange(bytes({'}', 1})), bytes({0xCD}));
}

TEST(AvrChip, SignatureCalibrationAndLockEffects) {
    SimOptions options = chipOptions("ATmega8");
    options.calibration = std::array<std::uint8_t, 4>{0xA1, 0xA2, 0xA3, 0xA4};
    BoardModel board(options);
    openAvrSession(board, 2);
    EXPECT_EQ(signature(board), bytes({0x1E, 0x93, 0x07}));
    EXPECT_EQ(spiRead(board, 0x38, 0, 0), 0xA1);
    EXPECT_EQ(spiRead(board, 0x38, 0, 3), 0xA4);

    // Level 2 (LB1 and LB2): read protected and write protected.
    board.exchange(bytes({'4', 0xAC, 0xFF, 0xFF, 0xFC}));
    EXPECT_EQ(spiRead(board, 0x58, 0, 0), 0xFC);
    EXPECT_EQ(signature(board), bytes({0x00, 0x01, 0x02}));
    board.exchange(bytes({'4', 0xC0, 0x00, 0x05, 0x12}));
    board.exchange(bytes({'4', 0xAC, 0xA0, 0xFF, 0x00})); // fuses are locked too
    EXPECT_EQ(board.memories().eeprom[5], 0xFF);
    EXPECT_EQ(board.memories().fuses[0], 0xE1);
    // Chip erase unlocks.
    board.exchange(bytes({'4', 0xAC, 0x80, 0x04, 0x00}));
    EXPECT_EQ(signature(board), bytes({0x1E, 0x93, 0x07}));
}

TEST(AvrChip, AChipMadeToStayLockedKeepsItsLockThroughErase) {
    SimOptions options = chipOptions("ATmega16");
    options.locked = true;
    options.stayLocked = true;
    BoardModel board(options);
    openAvrSession(board, 2);
    EXPECT_EQ(signature(board), bytes({0x00, 0x01, 0x02}));
    board.exchange(bytes({'4', 0xAC, 0x80, 0x04, 0x00}));
    EXPECT_EQ(signature(board), bytes({0x00, 0x01, 0x02}));
}

TEST(AvrChip, Atmega8FusesAndBootLockBits) {
    BoardModel board(chipOptions("ATmega8"));
    openAvrSession(board, 2);
    EXPECT_EQ(spiRead(board, 0x50, 0x00, 0x00), 0xE1);
    EXPECT_EQ(spiRead(board, 0x58, 0x08, 0x00), 0xD9);
    EXPECT_EQ(board.exchange(bytes({'4', 0xAC, 0xA0, 0xFF, 0xE4})), bytes({0x0D}));
    // SPIEN (high fuse bit 5) cannot be changed through the serial interface.
    EXPECT_EQ(board.exchange(bytes({'4', 0xAC, 0xA8, 0xFF, 0xF1})), bytes({0x0D}));
    EXPECT_EQ(spiRead(board, 0x50, 0x00, 0x00), 0xE4);
    EXPECT_EQ(spiRead(board, 0x58, 0x08, 0x00), 0xD1);
    // Level 1 with BLB11 programmed.
    board.exchange(bytes({'4', 0xAC, 0xFF, 0xFF, 0xEE}));
    EXPECT_EQ(spiRead(board, 0x58, 0x00, 0x00), 0xEE);
    EXPECT_EQ(signature(board), bytes({0x1E, 0x93, 0x07})); // write protection only
    // Lock bits are only ever programmed further.
    board.exchange(bytes({'4', 0xAC, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(spiRead(board, 0x58, 0x00, 0x00), 0xEE);
}

TEST(AvrChip, Attiny12FuseByteAndLockBitsInTheSecondByte) {
    BoardModel board(chipOptions("ATtiny12"));
    openAvrSession(board, 4);
    EXPECT_EQ(signature(board), bytes({0x1E, 0x90, 0x05}));
    EXPECT_EQ(board.exchange(bytes({'4', 0xAC, 0xBF, 0xFF, 0xD7})), bytes({0x0D}));
    EXPECT_EQ(spiRead(board, 0x50, 0xFF, 0xFF), 0xD7);
    board.exchange(bytes({'4', 0xAC, 0xFD, 0x00, 0x00})); // LB1 programmed
    EXPECT_EQ(spiRead(board, 0x58, 0xFF, 0xFF), 0xFD);
    board.exchange(bytes({'4', 0xAC, 0xF9, 0x00, 0x00})); // LB1 and LB2
    EXPECT_EQ(signature(board), bytes({0x00, 0x01, 0x02}));
}

TEST(AvrChip, ProgrammedResetDisableLocksSerialProgrammingOut) {
    BoardModel board(chipOptions("ATmega8"));
    openAvrSession(board, 2);
    board.exchange(bytes({'4', 0xAC, 0xA8, 0xFF, 0x59})); // RSTDISBL programmed
    board.exchange(text("-"));
    board.exchange(text("Q"));
    EXPECT_NE(board.exchange(text("=")), bytes({0x0D}));
    EXPECT_EQ(signature(board), bytes({0xFF, 0xFF, 0xFF}));

    // An external-clock selection needs a clock on the board.
    SimOptions options = chipOptions("ATmega8");
    options.externalClock = true;
    BoardModel clocked(options);
    openAvrSession(clocked, 2);
    clocked.exchange(bytes({'4', 0xAC, 0xA0, 0xFF, 0xE0}));
    clocked.exchange(text("-"));
    clocked.exchange(text("Q"));
    EXPECT_EQ(clocked.exchange(text("=")), bytes({0x0D}));
}

TEST(AvrChip, EepromSaveFuseKeepsEepromThroughErase) {
    BoardModel board(chipOptions("ATmega8"));
    openAvrSession(board, 2);
    board.exchange(bytes({'4', 0xC0, 0x00, 0x00, 0x42}));
    board.exchange(bytes({'4', 0xAC, 0xA8, 0xFF, 0xD1})); // EESAVE programmed
    board.exchange(bytes({'4', 0xAC, 0x80, 0x04, 0x00}));
    EXPECT_EQ(board.memories().eeprom[0], 0x42);
    board.exchange(bytes({'4', 0xAC, 0xA8, 0xFF, 0xD9}));
    board.exchange(bytes({'4', 0xAC, 0x80, 0x04, 0x00}));
    EXPECT_EQ(board.memories().eeprom[0], 0xFF);
}

TEST(AvrChip, PollingReportsAWriteTheChipRefused) {
    SimOptions options = chipOptions("ATmega8");
    options.locked = true;
    BoardModel board(options);
    board.exchange(bytes({'&', 2}));
    board.exchange(bytes({'#', 0, 0x82, 1})); // polling on
    board.exchange(text("Q"));
    board.exchange(text("="));
    EXPECT_EQ(board.exchange(concat(bytes({'>', 1}), bytes({0x12}))), bytes({0x1B}));
    board.exchange(bytes({'4', 0xAC, 0x80, 0x04, 0x00}));
    board.exchange(bytes({':', 0, 0}));
    EXPECT_EQ(board.exchange(concat(bytes({'>', 1}), bytes({0x12}))), bytes({0x0D}));
}

TEST(AvrChip, EveryTableChipAnswersItsSignatureAndTakesAChipErase) {
    for (const char* name :
         {"ATtiny13",  "ATtiny15",       "ATtiny2313", "ATtiny26",   "AT90S8515",      "AT90PWM2/3",
          "ATmega48",  "ATmega88",       "ATmega8515", "ATmega8535", "ATmega161",      "ATmega162",
          "ATmega165", "ATmega168",      "ATmega169",  "ATmega32",   "ATmega325/3250", "ATmega64",
          "ATmega644", "ATmega645/6450", "ATmega128",  "AT90CAN128", "AT86RF401"}) {
        SCOPED_TRACE(name);
        BoardModel board(chipOptions(name));
        openAvrSession(board, 2);
        const Bytes sig = signature(board);
        EXPECT_EQ(sig[0], 0x1E);
        ChipMemories m = board.memories();
        ASSERT_FALSE(m.flash.empty());
        m.flash.assign(m.flash.size(), 0x00);
        board.setMemories(m);
        board.exchange(bytes({'4', 0xAC, 0x80, 0x04, 0x00}));
        EXPECT_EQ(board.memories().flash.back(), 0xFF);
    }
}

TEST(AvrChip, AChipOutsideTheTableAnswersItsOwnSignature) {
    SimOptions options = chipOptions("ATmega8");
    options.signature = std::array<std::uint8_t, 3>{0x1E, 0x99, 0x99};
    BoardModel board(options);
    openAvrSession(board, 2);
    EXPECT_EQ(signature(board), bytes({0x1E, 0x99, 0x99}));
}
