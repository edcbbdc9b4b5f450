// Byte mode: parts without Flash pages (AT90S2313), every EEPROM, and the AT89S parts with
// 3-byte instructions (AT89S8252) that the board writes and reads like an AVR.
#include "e2e/transfer_fixture.h"

#include "ops/blank_check.h"
#include "ops/memory_programming.h"
#include "ops/memory_reading.h"
#include "ops/memory_verifying.h"
#include "sim/board_commands.h"

namespace tovel::test {
namespace {

class AvrByteTransfer : public TransferTest {};

TEST_F(AvrByteTransfer, FlashWithoutPagesGoesIn64ByteChunksAndVerifies) {
    startBoard("AT90S2313");
    const Bytes image = pattern(200);
    fill(flash, image);
    programFlash(context);

    EXPECT_EQ(chipFlash(0, 200), image);
    EXPECT_EQ(chipFlash(200, 201).at(0), 0xFF);
    EXPECT_EQ(timesSent("7B 40"), 3u);
    EXPECT_EQ(timesSent("7B 08"), 1u);
    EXPECT_FALSE(sent("3A 00 00 7B")); // no address command: the pointer starts at 0
    EXPECT_FALSE(sent("34 4C"));
    EXPECT_EQ(ui.lastStatus(), "Flash program: Done (200 bytes programmed)");
    EXPECT_EQ(attributeOf(flash, 0, 200), kProgrammed);

    ui.clear();
    verifyFlash(context);
    EXPECT_EQ(ui.lastStatus(), "Flash verify: OK (200 bytes verified)");
    EXPECT_EQ(attributeOf(flash, 0, 200), kVerified);
    EXPECT_TRUE(state.flashVerified);
    EXPECT_EQ(state.operationStatus, Outcome::Ok);
}

TEST_F(AvrByteTransfer, EepromIsProgrammedReadAndVerified) {
    startBoard("AT90S2313");
    const Bytes image = pattern(100, 3);
    fill(eeprom, image);
    programEeprom(context);
    EXPECT_EQ(chipEeprom(0, 100), image);
    EXPECT_TRUE(sent("3E 40"));
    EXPECT_TRUE(sent("3E 24"));
    std::vector<std::string> expected = avrSessionLines("Programming Eeprom");
    expected.push_back("Eeprom program: Done (100 bytes programmed)");
    EXPECT_EQ(statuses(), expected);

    ui.clear();
    verifyEeprom(context);
    EXPECT_EQ(ui.lastStatus(), "Eeprom verify: OK (100 bytes verified)");
    EXPECT_TRUE(state.eepromVerified);

    ui.clear();
    host_->clearLog();
    readEeprom(context);
    EXPECT_EQ(eeprom.size(), 128u);
    EXPECT_EQ(Bytes(eeprom.data().begin(), eeprom.data().begin() + 100), image);
    EXPECT_EQ(attributeOf(eeprom, 0, 128), kRead);
    EXPECT_EQ(timesSent("3C 40"), 2u);
    EXPECT_EQ(statusesFrom("Read Eeprom: OK").size(), 2u);
    EXPECT_EQ(ui.lastStatus().rfind("Eeprom length: 128 (0x80) bytes, Checksum = 0x", 0), 0u);
}

TEST_F(AvrByteTransfer, APollingFailureInByteModeHasNoConnectionErrorBox) {
    startBoard("AT90S2313");
    sim::Fault fault;
    fault.kind = sim::FaultKind::PollingFailure;
    fault.command = sim::command::WriteFlashBytes;
    fault.nth = 2;
    board().injectFault(fault);
    fill(flash, pattern(256));
    programFlash(context);

    EXPECT_EQ(boxes(), std::vector<std::string>{"Error during polling"});
    EXPECT_EQ(ui.lastStatus(), "Error during polling");
    EXPECT_EQ(attributeOf(flash, 0, 64), kProgrammed);
    EXPECT_EQ(attributeOf(flash, 64, 256), kNotConfirmed);
    EXPECT_EQ(state.operationStatus, Outcome::PollingFailed);
}

TEST_F(AvrByteTransfer, AMissingChunkReplyIsAConnectionError) {
    startBoard("AT90S2313");
    board().setFlash(0, pattern(2048));
    sim::Fault fault;
    fault.kind = sim::FaultKind::DropReply;
    fault.command = sim::command::ReadFlashBytes;
    fault.nth = 3;
    board().injectFault(fault);
    readFlash(context);

    EXPECT_EQ(boxes(), (std::vector<std::string>{"Connection error", "Error reading Flash"}));
    EXPECT_EQ(statusesFrom("Flash read: ERROR").size(), 2u);
    EXPECT_EQ(attributeOf(flash, 0, 128), kRead); // what came before the failure stays
    EXPECT_EQ(slice(bytesOf(flash), 0, 128), slice(pattern(2048), 0, 128));
    EXPECT_EQ(attributeOf(flash, 192, 2048), kNotConfirmed);
}

TEST_F(AvrByteTransfer, AnEepromLessPartRefusesEepromCommandsWithoutTheBoard) {
    startBoard("AT89S52");
    readEeprom(context);
    EXPECT_EQ(statuses(),
              (std::vector<std::string>{"Reading Eeprom", "This device does not have Eeprom on-chip"}));
    fill(eeprom, pattern(16));
    ui.clear();
    verifyEeprom(context);
    EXPECT_EQ(statuses(),
              (std::vector<std::string>{"Verifying Eeprom", "This device doesn't have Eeprom on-chip"}));
    EXPECT_EQ(sentHex(), "");
    EXPECT_FALSE(ui.busy());
}

TEST_F(AvrByteTransfer, TheAt89s8252IsWrittenByTheBoardLikeAnAvrWithoutPages) {
    startBoard("AT89S8252");
    const Bytes code = pattern(130, 5);
    const Bytes data = pattern(70, 6);
    fill(flash, code);
    fill(eeprom, data);
    programFlash(context);
    programEeprom(context);

    EXPECT_EQ(chipFlash(0, 130), code);
    EXPECT_EQ(chipEeprom(0, 70), data);
    EXPECT_EQ(timesSent("7B 40"), 2u);
    EXPECT_EQ(timesSent("7B 02"), 1u);
    EXPECT_EQ(timesSent("3E 40"), 1u);
    EXPECT_EQ(timesSent("3E 06"), 1u);

    ui.clear();
    verifyFlash(context);
    verifyEeprom(context);
    EXPECT_TRUE(state.flashVerified);
    EXPECT_TRUE(state.eepromVerified);
    EXPECT_TRUE(boxes().empty());
}

} // namespace
} // namespace tovel::test
