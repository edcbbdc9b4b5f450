// "Write only changed data": the chip is read first and only what differs goes on the line, and
// the chip ends equal to the image whatever it held before.
#include "e2e/transfer_fixture.h"

#include "ops/memory_programming.h"
#include "ops/memory_verifying.h"

namespace tovel::test {
namespace {

class ChangedOnlyTransfer : public TransferTest {
protected:
    void SetUp() override { project.writeChangedOnly = true; }

    static Bytes inverted(Bytes bytes) {
        for (auto& b : bytes) b = static_cast<std::uint8_t>(~b);
        return bytes;
    }
};

TEST_F(ChangedOnlyTransfer, AvrEepromWritesOnlyTheRunsThatDiffer) {
    startBoard("ATmega8");
    const Bytes before = pattern(512, 7);
    board().setEeprom(0, before);
    Bytes image = before;
    image[5] ^= 0x01;
    image[63] ^= 0x10; // a run that the chunk boundary cuts in two
    image[64] ^= 0x20;
    image[300] ^= 0xFF;
    fill(eeprom, image);
    programEeprom(context);

    EXPECT_EQ(chipEeprom(0, 512), image);
    EXPECT_EQ(timesSent("3C 40"), 8u); // the comparing read
    EXPECT_EQ(timesSent("3E"), 4u);    // then one write a run, each at its own address
    EXPECT_TRUE(sent("3A 00 05 3E 01"));
    EXPECT_TRUE(sent("3A 00 3F 3E 01"));
    EXPECT_TRUE(sent("3A 00 40 3E 01"));
    EXPECT_TRUE(sent("3A 01 2C 3E 01"));
    EXPECT_EQ(ui.lastStatus(), "Eeprom program: Done (512 bytes programmed)");
    EXPECT_EQ(attributeOf(eeprom, 0, 512), kProgrammed);

    ui.clear();
    verifyEeprom(context);
    EXPECT_EQ(ui.lastStatus(), "Eeprom verify: OK (512 bytes verified)");
}

TEST_F(ChangedOnlyTransfer, AvrEepromEndsEqualWhenEveryByteOrNoByteDiffers) {
    startBoard("ATmega8");
    const Bytes image = pattern(512, 9);
    board().setEeprom(0, inverted(image));
    fill(eeprom, image);
    programEeprom(context);
    EXPECT_EQ(chipEeprom(0, 512), image);
    EXPECT_EQ(timesSent("3E 40"), 8u);

    host_->clearLog();
    ui.clear();
    programEeprom(context);
    EXPECT_EQ(chipEeprom(0, 512), image);
    EXPECT_EQ(timesSent("3C 40"), 8u);
    EXPECT_FALSE(sent("3E"));
    EXPECT_EQ(ui.lastStatus(), "Eeprom program: Done (512 bytes programmed)");
}

TEST_F(ChangedOnlyTransfer, OffTheEepromIsWrittenWithoutReadingIt) {
    startBoard("ATmega8");
    project.writeChangedOnly = false;
    const Bytes image = pattern(128, 4);
    board().setEeprom(0, image);
    fill(eeprom, image);
    programEeprom(context);
    EXPECT_FALSE(sent("3C"));
    EXPECT_EQ(timesSent("3E 40"), 2u);
}

TEST_F(ChangedOnlyTransfer, FlashOfAnAvrPartIsStillWrittenWhole) {
    startBoard("ATmega8");
    const Bytes image = pattern(128, 5);
    board().setFlash(0, image);
    fill(flash, image);
    programFlash(context);
    EXPECT_FALSE(sent("7D"));
    EXPECT_EQ(timesSent("34 4C"), 2u);
}

TEST_F(ChangedOnlyTransfer, At89EepromWritesOnlyTheBytesThatDiffer) {
    startBoard("AT89S8253");
    const Bytes before = pattern(300, 3);
    board().setEeprom(0, before);
    Bytes image = before;
    image[0] ^= 0x80;
    image[299] ^= 0x01;
    fill(eeprom, image);
    programEeprom(context);

    EXPECT_EQ(chipEeprom(0, 300), image);
    EXPECT_EQ(timesSent("35 A0"), 300u);
    EXPECT_EQ(timesSent("34 C0"), 2u);
    EXPECT_TRUE(sent("34 C0 00 00"));
    EXPECT_TRUE(sent("34 C0 01 2B"));
    EXPECT_EQ(ui.lastStatus(), "Eeprom program: Done (300 bytes programmed)");
}

TEST_F(ChangedOnlyTransfer, At25WritesOnlyThePagesThatDiffer) {
    startBoard("AT25256");
    const Bytes before = pattern(200, 6);
    board().setEeprom(0, before);
    Bytes image = before;
    image[70] ^= 0x04; // page 1 of 64-byte pages
    fill(eeprom, image);
    programEeprom(context);

    EXPECT_EQ(chipEeprom(0, 200), image);
    EXPECT_EQ(timesSent("39 36 02 36 00"), 1u);
    EXPECT_TRUE(sent("39 36 02 36 00 36 40"));
    EXPECT_EQ(ui.lastStatus(), "Eeprom program: Done (200 bytes programmed)");

    host_->clearLog();
    board().setEeprom(0, inverted(image));
    programEeprom(context);
    EXPECT_EQ(chipEeprom(0, 200), image);
    EXPECT_EQ(timesSent("39 36 02 36 00"), 4u);
}

TEST_F(ChangedOnlyTransfer, At45ProgramsOnlyThePagesThatDiffer) {
    startBoard("AT45DB041");
    const Bytes before = pattern(800, 8);
    board().setFlash(0, before);
    Bytes image = before;
    image[300] ^= 0x40; // page 1 of 264-byte pages
    fill(flash, image);
    programFlash(context);

    EXPECT_EQ(chipFlash(0, 800), image);
    EXPECT_TRUE(sent("6B 6C 30 00 08 E8 00 00 00 00 00 00 00"));
    EXPECT_EQ(timesSent("30 00 04 83"), 1u);
    EXPECT_TRUE(sent("30 00 04 83 00 02 00"));
    EXPECT_EQ(ui.lastStatus(), "Flash program: Done (800 bytes programmed)");

    host_->clearLog();
    programFlash(context);
    EXPECT_FALSE(sent("30 00 04 83"));
    EXPECT_EQ(chipFlash(0, 800), image);
}

} // namespace
} // namespace tovel::test
