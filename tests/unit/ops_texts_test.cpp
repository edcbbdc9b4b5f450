// What the chip operations say: the naming of a signature, the calibration texts and the lock/fuse
// verify report.
#include <gtest/gtest.h>

#include <array>

#include "devices/device_table.h"
#include "devices/fuse_layout.h"
#include "ops/calibration_bytes.h"
#include "ops/lock_fuse_verify_report.h"
#include "ops/signature_naming.h"
#include "support/device_rows.h"

namespace tovel {
namespace {

using test::rowNamed;

TEST(SignatureNaming, FoundUnknownAndLocked) {
    const Messages english;
    const SignatureIdentity mega8 = identifySignature({0x1E, 0x93, 0x07});
    EXPECT_EQ(mega8.kind, SignatureIdentity::Kind::Device);
    EXPECT_EQ(mega8.deviceNo, rowNamed("ATmega8"));
    EXPECT_EQ(signatureName(mega8, english), "ATmega8");

    EXPECT_EQ(signatureName(identifySignature({0x1E, 0x99, 0x99}), english), "Unknown ATMEL device");
    EXPECT_EQ(signatureName(identifySignature({0x12, 0x34, 0x56}), english), "Unknown device");
    EXPECT_EQ(identifySignature({0x00, 0x01, 0x02}).kind, SignatureIdentity::Kind::Locked);
    EXPECT_EQ(identifySignature({0xFF, 0xFF, 0xFF}).kind, SignatureIdentity::Kind::Unknown);
}

TEST(SignatureNaming, AnAlternativeSignatureFindsItsRow) {
    for (int n = 0; n < DeviceTable::deviceCount(); ++n) {
        const DeviceRecord& d = DeviceTable::device(n);
        if (d.altSignature == d.signature || d.altSignature[0] != 0x1E) continue;
        const SignatureIdentity found = identifySignature(d.altSignature);
        ASSERT_EQ(found.kind, SignatureIdentity::Kind::Device) << d.name;
        EXPECT_EQ(DeviceTable::device(found.deviceNo).altSignature, d.altSignature) << d.name;
    }
}

TEST(SignatureNaming, ReadInstructionByCommandSet) {
    EXPECT_EQ(signatureReadInstruction(DeviceTable::device(rowNamed("ATmega8")), 2),
              (SpiBytes3{0x30, 0x00, 0x02}));
    EXPECT_EQ(signatureReadInstruction(DeviceTable::device(rowNamed("AT89S52")), 1),
              (SpiBytes3{0x28, 0x01, 0x00}));
    EXPECT_EQ(signatureReadInstruction(DeviceTable::device(rowNamed("AT89S8253")), 2),
              (SpiBytes3{0x28, 0x00, 0x32}));
    EXPECT_EQ(signatureReadInstruction(DeviceTable::device(rowNamed("AT89S8252")), 0),
              (SpiBytes3{0x30, 0x00, 0x00}));
}

TEST(CalibrationTexts, OneByteAndFour) {
    const Messages english;
    const std::array<std::uint8_t, 1> one{0x5B};
    EXPECT_EQ(calibrationStatusText(one, english), "Calibration byte: 5B");
    EXPECT_EQ(calibrationBoxText(one, english), "Calibration byte:\n\n    1 MHz: 0x5B");
    const std::array<std::uint8_t, 4> four{0xA1, 0xA2, 0xA3, 0xA4};
    EXPECT_EQ(calibrationStatusText(four, english), "Calibration bytes: A1 A2 A3 A4");
    EXPECT_EQ(calibrationBoxText(four, english),
              "Calibration bytes:\n\n    1 MHz: 0xA1\n    2 MHz: 0xA2\n    4 MHz: 0xA3\n    8 MHz: 0xA4");
}

class VerifyReport : public ::testing::Test {
protected:
    const FuseLayout& mega8 = *layoutOf(rowNamed("ATmega8"));
    const Messages english;
};

TEST_F(VerifyReport, EqualSettingsReportNothing) {
    LockFuseSettings settings;
    settings.lockMode = 2;
    settings.fuse[13] = 1;
    EXPECT_FALSE(lockFuseDifferences(mega8, SpiVariant::Avr, settings, settings, english));
}

TEST_F(VerifyReport, LockLabelsReadWithoutTheDoubledAmpersand) {
    LockFuseSettings expected, read;
    expected.lockMode = 2;
    EXPECT_EQ(lockFuseDifferences(mega8, SpiVariant::Avr, expected, read, english),
              "Lock&Fuse bits verify: Failed\n - lock mode should be 'LB1+LB2: R&W protect', is 'No'\n");
}

TEST_F(VerifyReport, FuseAndBootLockLinesInOrder) {
    LockFuseSettings expected, read;
    expected.fuse[13] = 1; // SPIEN programmed expected, unprogrammed read
    read.fuse[0] = 1;      // CKSEL0 programmed in the chip
    read.bootLock[1] = 1;
    EXPECT_EQ(*lockFuseDifferences(mega8, SpiVariant::Avr, expected, read, english),
              "Lock&Fuse bits verify: Failed\n"
              " - CKSEL0 should be unprogrammed, is programmed\n"
              " - SPIEN should be programmed, is unprogrammed\n"
              " - " +
                  std::string(mega8.bootLockBits[1].name) + " should be unprogrammed, is programmed\n");
}

TEST_F(VerifyReport, FlagsBeyondTheLayoutAreNotCompared) {
    LockFuseSettings expected, read;
    expected.fuse[30] = 1;
    expected.bootLock[10] = 1;
    EXPECT_FALSE(lockFuseDifferences(mega8, SpiVariant::Avr, expected, read, english));
}

} // namespace
} // namespace tovel
