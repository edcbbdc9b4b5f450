// The serial memories: AT25 serial EEPROM pages through the AT25 frame, AT45 DataFlash pages
// through the chip's buffer 1 and its continuous read.
#include "e2e/transfer_fixture.h"

#include "ops/blank_check.h"
#include "ops/memory_programming.h"
#include "ops/memory_reading.h"
#include "ops/memory_verifying.h"
#include "sim/board_commands.h"

namespace tovel::test {
namespace {

class SerialMemoryTransfer : public TransferTest {};

TEST_F(SerialMemoryTransfer, At25TakesItsImagePageByPageWithWriteEnable) {
    startBoard("AT25256");
    const Bytes image = pattern(100);
    fill(eeprom, image);
    programEeprom(context);

    EXPECT_EQ(chipEeprom(0, 100), image);
    EXPECT_EQ(chipEeprom(100, 101).at(0), 0xFF);
    EXPECT_TRUE(sent("39 36 06 38 39 36 02 36 00 36 00 36"));
    char secondPage[64];
    std::snprintf(secondPage, sizeof secondPage, "39 36 02 36 00 36 40 36 %02X", image[64]);
    EXPECT_TRUE(sent(secondPage));
    char lastByte[64];
    std::snprintf(lastByte, sizeof lastByte, "36 %02X 38 39 36 04 38", image[99]);
    EXPECT_TRUE(sent(lastByte));
    EXPECT_EQ(timesSent("39 36 06 38"), 2u);
    EXPECT_EQ(timesSent("39 36 04 38"), 2u);
    EXPECT_EQ(attributeOf(eeprom, 0, 100), kProgrammed);
    EXPECT_EQ(ui.lastStatus(), "Eeprom program: Done (100 bytes programmed)");
    EXPECT_TRUE(boxes().empty());

    ui.clear();
    host_->clearLog();
    eeprom.data()[70] ^= 0x01;
    verifyEeprom(context);
    EXPECT_EQ(ui.lastStatus(), "Eeprom verify: ERROR at byte 70 (0x46)");
    EXPECT_EQ(attributeOf(eeprom, 70, 71), kNotConfirmed);
    EXPECT_EQ(attributeOf(eeprom, 71, 100), kVerified);
    EXPECT_EQ(timesSent("37"), 100u);
    EXPECT_TRUE(sent("39 36 03 36 00 36 40"));
}

TEST_F(SerialMemoryTransfer, DecliningToCutAnAt25ImageWritesNothing) {
    startBoard("AT25256");
    fill(eeprom, pattern(32769));
    ui.queueAnswer(Answer::Cancel);
    programEeprom(context);
    EXPECT_EQ(questions(),
              std::vector<std::string>{"Warning: only first 32768 bytes Eeprom will be processed."});
    EXPECT_EQ(ui.lastStatus(), "Eeprom program cancelled");
    EXPECT_FALSE(sent("39 36 06"));
    EXPECT_EQ(state.operationStatus, Outcome::Cancelled);
}

TEST_F(SerialMemoryTransfer, AnAt25FrameFailureEndsWithoutTheWorkersBox) {
    startBoard("AT25256");
    sim::Fault fault;
    fault.kind = sim::FaultKind::DropReply;
    fault.command = sim::command::SpiSendByte;
    fault.nth = 5;
    board().injectFault(fault);
    fill(eeprom, pattern(100));
    programEeprom(context);
    EXPECT_EQ(boxes(), std::vector<std::string>{"Error programming Eeprom"});
    EXPECT_EQ(ui.lastStatus(), "Error programming Eeprom");
}

TEST_F(SerialMemoryTransfer, At45IsWrittenThroughBuffer1WithBuiltInErase) {
    startBoard("AT45DB041");
    const Bytes image = pattern(600);
    fill(flash, image);
    programFlash(context);

    EXPECT_EQ(chipFlash(0, 600), image);
    EXPECT_EQ(chipFlash(600, 601).at(0), 0xFF); // the padding of the third page
    EXPECT_EQ(timesSent("6C 30 00 04 84 00 00 00 30 01 08"), 3u);
    EXPECT_TRUE(sent("6B 6C 30 00 04 83 00 00 00 6B"));
    EXPECT_TRUE(sent("6B 6C 30 00 04 83 00 02 00 6B"));
    EXPECT_TRUE(sent("6B 6C 30 00 04 83 00 04 00 6B"));
    EXPECT_EQ(attributeOf(flash, 0, 600), kProgrammed);
    EXPECT_EQ(ui.lastStatus(), "Flash program: Done (600 bytes programmed)");
    EXPECT_TRUE(questions().empty()); // no signature gate for DataFlash

    ui.clear();
    host_->clearLog();
    verifyFlash(context);
    EXPECT_EQ(ui.lastStatus(), "Flash verify: OK (600 bytes verified)");
    EXPECT_TRUE(sent("6B 6C 30 00 08 E8 00 00 00 00 00 00 00 31 01 08"));
    EXPECT_TRUE(sent("31 00 48")); // the last, partial page: 600 - 528 bytes
}

TEST_F(SerialMemoryTransfer, At45ReadAndBlankCheckStreamTheArray) {
    startBoard("AT45DB041");
    const Bytes image = pattern(524288, 2);
    board().setFlash(0, image);
    readFlash(context);
    // The part has 2,048 pages of 264 bytes; the table's size, 524,288 bytes, is what is read.
    EXPECT_EQ(bytesOf(flash), image);
    EXPECT_EQ(flash.size(), 524288u);
    EXPECT_EQ(attributeOf(flash, 0, 524288), kRead);
    EXPECT_TRUE(sent("6B 6C 30 00 08 E8 00 00 00 00 00 00 00 31 01 08"));
    EXPECT_EQ(timesSent("31 01 08"), 1985u);
    EXPECT_EQ(timesSent("31 00 F8"), 1u); // 524288 - 1985 x 264
    EXPECT_EQ(ui.lastStatus(), "Flash length: 524288 (0x80000) bytes, Checksum = 0x" + checksumHex(image));

    ui.clear();
    host_->clearLog();
    board().setFlash(0, Bytes(528, 0xFF));
    blankCheck(context);
    EXPECT_EQ(ui.lastStatus(), "Blank check: Flash is not empty");
    EXPECT_EQ(timesSent("31 01 08"), 3u);
    EXPECT_EQ(state.operationStatus, Outcome::NotBlank);
}

} // namespace
} // namespace tovel::test
