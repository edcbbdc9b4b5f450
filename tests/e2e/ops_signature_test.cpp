// Read Signature and Read Calibration Bytes against the simulated board: what the status line and
// the boxes say, and that the board always leaves programming mode.
#include "e2e/ops_bench.h"

#include "ops/chip_context.h"
#include "sim/board_commands.h"

namespace tovel::test {
namespace {

using ReadingIdentity = OpsBench;

sim::SimOptions withSignature(std::array<std::uint8_t, 3> signature) {
    sim::SimOptions options;
    options.signature = signature;
    return options;
}

TEST_F(ReadingIdentity, SignatureOfTheSelectedChip) {
    start("ATmega8");
    bench().state().operationStatus = Outcome::NotBlank; // a value a signature read never sets
    bench().readSignature();

    EXPECT_EQ(ui.lastStatus(), "Signature: 1E 93 07 - ATmega8");
    EXPECT_TRUE(ui.boxes().empty());
    EXPECT_EQ(bench().state().operationStatus, Outcome::NotBlank); // left alone
    EXPECT_EQ(bench().state().lastSignature, (Signature{0x1E, 0x93, 0x07}));
    EXPECT_FALSE(board().inProgrammingMode());
}

TEST_F(ReadingIdentity, SignaturesOutsideTheTable) {
    start("ATmega8", withSignature({0x1E, 0x99, 0x99}), "ATmega8");
    bench().readSignature();
    EXPECT_EQ(ui.lastStatus(), "Signature: 1E 99 99 - Unknown ATMEL device");
    EXPECT_EQ(bench().deviceNo(), row("ATmega8"));

    start("ATmega8", withSignature({0x12, 0x34, 0x56}), "ATmega8");
    bench().readSignature();
    EXPECT_EQ(ui.lastStatus(), "Signature: 12 34 56 - Unknown device");
}

TEST_F(ReadingIdentity, ALockedChipSaysOnlyThat) {
    sim::SimOptions options;
    options.locked = true;
    start("ATmega8", options);
    bench().readSignature();
    EXPECT_EQ(ui.lastStatus(), "Device is locked");
    EXPECT_TRUE(ui.boxes().empty());
}

TEST_F(ReadingIdentity, AnotherChipBecomesTheSelection) {
    start("ATtiny26", {}, "ATmega8");
    bench().readSignature();
    EXPECT_EQ(ui.lastStatus(), "Signature: 1E 91 09 - ATtiny26");
    EXPECT_EQ(bench().deviceNo(), row("ATtiny26"));
}

TEST_F(ReadingIdentity, A4ByteAt89SPartIsReadWithItsOwnInstruction) {
    start("AT89S52");
    bench().readSignature();
    EXPECT_TRUE(sent("35 28 00 00 35 28 01 00 35 28 02 00"));
    EXPECT_EQ(ui.lastStatus(), "Signature: 1E 52 06 - AT89S52");
}

TEST_F(ReadingIdentity, AFailedByteReadLeavesProgrammingModeAndSaysSo) {
    sim::SimOptions options;
    sim::Fault drop;
    drop.kind = sim::FaultKind::DropReply;
    drop.command = sim::command::SpiInstrRead;
    drop.nth = 2;
    options.faults.push_back(drop);
    start("ATmega8", options);
    bench().readSignature();

    EXPECT_EQ(ui.lastStatus(), "Error reading signature");
    EXPECT_EQ(ui.boxes(), std::vector<std::string>{"Error reading signature"});
    const std::size_t reads = findSent("35 30 00 00 35 30 00 01");
    ASSERT_NE(reads, std::string::npos);
    EXPECT_NE(findSent("2D 23 00", reads), std::string::npos);
    EXPECT_FALSE(board().inProgrammingMode());
}

TEST_F(ReadingIdentity, TheButtonOnlyDetectsADataFlash) {
    start("AT45DB041");
    bench().readSignatureButton();
    EXPECT_EQ(ui.lastStatus(), "AT45 memory detected");
    EXPECT_FALSE(sent("35 30 00 00"));
    EXPECT_FALSE(board().inProgrammingMode());
}

TEST_F(ReadingIdentity, FourCalibrationBytesOfAnAtMega8) {
    sim::SimOptions options;
    options.calibration = std::array<std::uint8_t, 4>{0xA1, 0xA2, 0xA3, 0xA4};
    start("ATmega8", options);
    bench().readCalibrationBytes();

    EXPECT_TRUE(sent("35 38 00 00 35 38 00 01 35 38 00 02 35 38 00 03"));
    EXPECT_EQ(ui.lastStatus(), "Calibration bytes: A1 A2 A3 A4");
    EXPECT_EQ(ui.boxes(), std::vector<std::string>{"Calibration bytes:\n\n    1 MHz: 0xA1\n    2 MHz: 0xA2"
                                                   "\n    4 MHz: 0xA3\n    8 MHz: 0xA4"});
    EXPECT_FALSE(board().inProgrammingMode());
}

TEST_F(ReadingIdentity, OneCalibrationByteOfAnAtTiny12) {
    sim::SimOptions options;
    options.calibration = std::array<std::uint8_t, 4>{0x5B, 0xFF, 0xFF, 0xFF};
    start("ATtiny12", options);
    bench().readCalibrationBytes();

    EXPECT_FALSE(sent("35 38 00 01"));
    EXPECT_EQ(ui.lastStatus(), "Calibration byte: 5B");
    EXPECT_EQ(ui.boxes(), std::vector<std::string>{"Calibration byte:\n\n    1 MHz: 0x5B"});
}

TEST_F(ReadingIdentity, AMissingCalibrationByteIsAConnectionError) {
    sim::SimOptions options;
    sim::Fault drop;
    drop.kind = sim::FaultKind::DropReply;
    drop.command = sim::command::SpiInstrRead;
    options.faults.push_back(drop);
    start("ATmega8", options);
    bench().readCalibrationBytes();

    EXPECT_EQ(ui.lastStatus(), "Error reading calibration bytes");
    EXPECT_EQ(ui.boxes(), std::vector<std::string>{"Connection error"});
    EXPECT_FALSE(board().inProgrammingMode());
}

} // namespace
} // namespace tovel::test
