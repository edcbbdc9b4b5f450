// Parts with more than 128 KiB of Flash (ATmega2560): the upper half is reached through the
// extended address, for writing and for reading.
#include "e2e/transfer_fixture.h"

#include "ops/blank_check.h"
#include "ops/memory_programming.h"
#include "ops/memory_reading.h"
#include "ops/memory_verifying.h"

namespace tovel::test {
namespace {

constexpr std::size_t k128K = 131072;

class LargeFlashTransfer : public TransferTest {
protected:
    void SetUp() override { startBoard("ATmega2560/2561"); }
};

TEST_F(LargeFlashTransfer, PagesAbove128KLandAboveIt) {
    Bytes image(k128K + 512, 0xFF);
    const Bytes low = pattern(256, 1);
    const Bytes high = pattern(256, 2);
    std::copy(low.begin(), low.end(), image.begin());
    std::copy(high.begin(), high.end(), image.begin() + k128K + 256);
    fill(flash, image);
    programFlash(context);

    EXPECT_EQ(ui.lastStatus(), "Flash program: Done (131584 bytes programmed)");
    const Bytes chip = host_->flash();
    EXPECT_EQ(Bytes(chip.begin(), chip.begin() + 256), low);
    EXPECT_EQ(Bytes(chip.begin() + k128K + 256, chip.begin() + k128K + 512), high);
    EXPECT_EQ(Bytes(chip.begin() + 256, chip.begin() + 512), Bytes(256, 0xFF));
    // Two pages written; the extended address is set once, before the first page above 128 KiB.
    EXPECT_EQ(timesSent("34 4D 00 01 00"), 1u);
    EXPECT_EQ(timesSent("34 4C 00 00 00"), 1u);
    EXPECT_EQ(timesSent("34 4C 00 80 00"), 1u);
    EXPECT_LT(firstSent("34 4D 00 01 00"), firstSent("34 4C 00 80 00"));
    EXPECT_EQ(timesSent("7B 40"), 8u);

    ui.clear();
    host_->clearLog();
    verifyFlash(context);
    EXPECT_EQ(ui.lastStatus(), "Flash verify: OK (131584 bytes verified)");
    EXPECT_EQ(timesSent("34 4D 00 01 00"), 1u);
}

TEST_F(LargeFlashTransfer, TheBlankCheckLooksAbove128K) {
    board().setFlash(k128K + 64, {0x00});
    blankCheck(context);
    EXPECT_EQ(ui.lastStatus(), "Blank check: Flash is not empty");
    EXPECT_EQ(timesSent("7D 40"), 2048u + 2u);
    EXPECT_EQ(timesSent("34 4D 00 01 00"), 1u);
}

// The chip has 4 KiB of EEPROM and ignores higher address bits: an 8 KiB EEPROM would write its
// second half over the first. Only the bytes the chip holds are written, and they read back.
TEST_F(LargeFlashTransfer, EepromStopsAtTheChipsFourKilobytes) {
    const Bytes image = pattern(8192, 5);
    fill(eeprom, image);
    ui.queueAnswer(Answer::Ok); // the image is larger than the chip: write what fits
    programEeprom(context);
    ASSERT_EQ(ui.questions().size(), 1u);
    EXPECT_NE(ui.questions()[0].find("4096"), std::string::npos);
    EXPECT_EQ(ui.lastStatus(), "Eeprom program: Done (4096 bytes programmed)");
    EXPECT_EQ(chipEeprom(0, 4096), Bytes(image.begin(), image.begin() + 4096));

    ui.clear();
    verifyEeprom(context);
    EXPECT_EQ(ui.lastStatus(), "Eeprom verify: OK (4096 bytes verified)");

    readEeprom(context);
    EXPECT_EQ(eeprom.size(), 4096u);
}

} // namespace
} // namespace tovel::test
