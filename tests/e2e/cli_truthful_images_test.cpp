// Success only when the chip and the files hold what it says: ordinary HEX files from other tools
// program their bytes (never their text), broken or empty files program nothing, auto-program
// with a step switched on and no image fails before it touches the chip, the serial counter goes
// back only into its own unchanged file, and AT89S parts are not taken for locked chips.
#include <gtest/gtest.h>

#include "e2e/cli_test_support.h"

namespace tovel::test {
namespace {

class TruthfulImages : public ::testing::Test {
protected:
    static std::vector<std::uint8_t> image(std::size_t size) {
        std::vector<std::uint8_t> bytes(size);
        for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 13 + 5);
        return bytes;
    }
    // `bytes` as HEX records of `perRecord` bytes, each line ended by `lineEnd`.
    static std::string hexText(const std::vector<std::uint8_t>& bytes, std::size_t perRecord,
                               const char* lineEnd) {
        std::string text;
        for (std::size_t at = 0; at < bytes.size(); at += perRecord) {
            const std::size_t n = std::min(perRecord, bytes.size() - at);
            text += hexRecord(
                0, static_cast<unsigned>(at),
                {bytes.begin() + static_cast<long>(at), bytes.begin() + static_cast<long>(at + n)}, lineEnd);
        }
        return text + ":00000001FF" + lineEnd;
    }
    std::string chipFlash(std::size_t size) {
        const CliResult r =
            bench.run({"--baud", "2", "--simulate-state", state, "read", "flash", bench.file("chip.bin")});
        EXPECT_EQ(r.exit, 0) << r.err;
        return readFile(bench.file("chip.bin")).substr(0, size);
    }
    static std::string asText(const std::vector<std::uint8_t>& bytes) { return {bytes.begin(), bytes.end()}; }

    CliBench bench;
    std::string state = bench.file("chip.state");
};

TEST_F(TruthfulImages, OrdinaryHexFilesProgramTheirBytesNotTheirText) {
    const std::vector<std::uint8_t> bytes = image(1000);
    const struct {
        const char* name;
        std::string text;
    } files[] = {
        {"records-64.hex", hexText(bytes, 64, "\r\n")},
        {"records-255.hex", hexText(bytes, 255, "\n")},
        {"cr-only.hex", hexText(bytes, 16, "\r")},
        {"no-final-line-end.hex",
         [&] {
             std::string text = hexText(bytes, 32, "\r\n");
             return text.substr(0, text.size() - 2);
         }()},
        {"bom.hex", "\xEF\xBB\xBF" + hexText(bytes, 16, "\r\n")},
        {"leading-blank.ihx", "\r\n " + hexText(bytes, 16, "\n")},
    };
    for (const auto& f : files) {
        writeFile(bench.file(f.name), f.text);
        const CliResult program =
            bench.run({"--baud", "2", "--simulate-state", state, "program", "flash", bench.file(f.name)});
        ASSERT_EQ(program.exit, 0) << f.name << program.err;
        EXPECT_EQ(program.outLines().back(), "Flash program: Done (1000 bytes programmed)") << f.name;
        EXPECT_EQ(chipFlash(1000), asText(bytes)) << f.name;
        const CliResult verify =
            bench.run({"--baud", "2", "--simulate-state", state, "verify", "flash", bench.file(f.name)});
        EXPECT_EQ(verify.exit, 0) << f.name << verify.err;
        std::filesystem::remove(state); // the next file gets a fresh chip
    }
}

TEST_F(TruthfulImages, BrokenOrEmptyFilesProgramNothing) {
    const std::string good = hexText(image(16), 16, "\r\n");
    std::string badChecksum = good;
    badChecksum[badChecksum.find("\r\n") - 1] ^= 1;
    const struct {
        const char* name;
        std::string text;
        std::string message;
        std::string detail;
    } files[] = {
        {"checksum.hex", badChecksum, "Cannot load file", "Line 1: the checksum is wrong"},
        {"cut.hex", good.substr(0, 20), "Error in HEX file", "Line 1: the line ends before its record does"},
        {"type6.hex", hexRecord(6, 0, {1}) + good, "Error in HEX file", "Line 1: unknown record type 06"},
        {"empty.bin", "", "File '" + bench.file("empty.bin") + "' holds no data.", ""},
        {"only-end.hex", ":00000001FF\r\n", "File '" + bench.file("only-end.hex") + "' holds no data.", ""},
    };
    for (const auto& f : files) {
        writeFile(bench.file(f.name), f.text);
        const CliResult r = bench.run({"--simulate-state", state, "program", "flash", bench.file(f.name)});
        EXPECT_EQ(r.exit, 7) << f.name << r.err;
        EXPECT_TRUE(r.errHas("Tovel/Tovel-U Programmer: " + f.message + "\n")) << f.name << r.err;
        if (!f.detail.empty()) {
            EXPECT_TRUE(r.errHas(f.detail + "\n")) << f.name << r.err;
        }
        EXPECT_FALSE(r.outHas("Done")) << f.name;

        // convert writes nothing either.
        const CliResult converted = bench.run({"convert", bench.file(f.name), bench.file("out.bin")});
        EXPECT_EQ(converted.exit, 7) << f.name;
        EXPECT_FALSE(std::filesystem::exists(bench.file("out.bin"))) << f.name;
    }
    EXPECT_EQ(chipFlash(16), std::string(16, '\xFF')); // never programmed
}

TEST_F(TruthfulImages, AutoProgramWithoutItsImagesFailsBeforeTouchingTheChip) {
    const std::vector<std::uint8_t> bytes = image(64);
    writeFile(bench.file("first.hex"), hexText(bytes, 16, "\r\n"));
    ASSERT_EQ(bench.run({"--simulate-state", state, "program", "flash", bench.file("first.hex")}).exit, 0);
    writeFile(bench.file("job.tvl"), "[Files]\nFlash=missing.hex\nEeprom=missing.eep\n"
                                     "[Settings]\nResetStrobeLength=2\n"
                                     "[AutoProgram]\nAutoErase=1\nAutoFlashProgram=1\nAutoEepromProgram=1\n"
                                     "[Device]\nDeviceNo=9\n");
    const CliResult r = bench.run({"--simulate-state", state, "autoprogram", bench.file("job.tvl")});
    EXPECT_EQ(r.exit, 7) << r.out << r.err;
    EXPECT_TRUE(r.outHas("Autoprogram: ERROR no Flash image to work on\n")) << r.out;
    EXPECT_FALSE(r.outHas("DONE"));
    EXPECT_FALSE(r.outHas("Erasing device"));
    EXPECT_TRUE(r.errHas("AUTOPROGRAM: Error")) << r.err;
    EXPECT_EQ(chipFlash(64), asText(bytes)); // not erased

    // Only the EEPROM image missing: the same, for the EEPROM.
    writeFile(bench.file("missing.hex"), hexText(bytes, 16, "\r\n"));
    const CliResult eeprom = bench.run({"--simulate-state", state, "autoprogram", bench.file("job.tvl")});
    EXPECT_EQ(eeprom.exit, 7);
    EXPECT_TRUE(eeprom.outHas("Autoprogram: ERROR no Eeprom image to work on\n")) << eeprom.out;
}

TEST_F(TruthfulImages, TheCounterGoesBackIntoItsOwnFileInItsOwnFormat) {
    // An EEPROM file with 64-byte records, as other tools write them; the counter ends at 3.
    std::vector<std::uint8_t> bytes = image(100);
    bytes[0] = 0, bytes[1] = 0, bytes[2] = 0, bytes[3] = 0x41;
    writeFile(bench.file("serial.eep"), hexText(bytes, 64, "\r\n"));
    writeFile(bench.file("job.tvl"), "[Files]\nFlash=[Unspecified]\nEeprom=serial.eep\n"
                                     "[Settings]\nResetStrobeLength=2\n"
                                     "[AutoProgram]\nAutoEepromProgram=1\nAutoEepromVerify=1\n"
                                     "AutoIncrement=1\nAutoIncAddress=3\n[Device]\nDeviceNo=9\n");
    const CliResult r = bench.run(
        {"--yes", "--simulate-state", state, "autoprogram", bench.file("job.tvl"), "--repeat"}, "\n\nq\n");
    ASSERT_EQ(r.exit, 0) << r.err;
    const CliResult back = bench.run({"convert", bench.file("serial.eep"), bench.file("serial.bin")});
    ASSERT_EQ(back.exit, 0) << back.err;
    bytes[3] = 0x43; // two chips: 41 and 42 programmed, 43 next
    EXPECT_EQ(readBytes(bench.file("serial.bin")), bytes);
    EXPECT_TRUE(readFile(bench.file("serial.eep")).starts_with(":10000000")) << "written as HEX again";
}

TEST_F(TruthfulImages, At89sPartsAreNotTakenForLockedChips) {
    writeFile(bench.file("at89.hex"), hexText(image(16), 16, "\r\n"));
    for (const char* part : {"AT89S51", "AT89S52", "AT89S8253", "AT89S8252", "AT89S53", "AT89S2051"}) {
        const std::string project = bench.file(std::string(part) + ".tvl");
        const int deviceNo = [&] {
            const CliResult list = bench.run({"devices"});
            for (const std::string& line : list.outLines())
                if (line.find(std::string(" ") + part + " ") != std::string::npos) return std::stoi(line);
            return -1;
        }();
        ASSERT_GE(deviceNo, 0) << part;
        writeFile(
            project,
            "[Files]\nFlash=at89.hex\n[Settings]\nCheckSign=1\nResetStrobeLength=2\n[Device]\nDeviceNo=" +
                std::to_string(deviceNo) + "\n");
        const std::string simulated = std::string("--simulate=") + part;
        const CliResult r =
            bench.run({simulated, "--project", project, "program", "flash", bench.file("at89.hex")});
        EXPECT_EQ(r.exit, 0) << part << r.out << r.err;
        EXPECT_FALSE(r.errHas("locked")) << part << r.err;
        EXPECT_FALSE(r.outHas("locked")) << part << r.out;
    }
    // The 3-byte parts have no signature read: asking for one is not for these devices.
    for (const char* part : {"AT89S8252", "AT89S53"}) {
        const CliResult r = bench.run({std::string("--simulate=") + part, "--device", part, "signature"});
        EXPECT_EQ(r.exit, 2) << part << r.out << r.err;
        EXPECT_FALSE(r.outHas("locked")) << part;
    }
    const CliResult named = bench.run({"--simulate=AT89S51", "--device", "AT89S51", "signature"});
    EXPECT_EQ(named.exit, 0) << named.err;
    EXPECT_EQ(named.outLines().back(), "Signature: 1E 51 06 - AT89S51");
}

} // namespace
} // namespace tovel::test
