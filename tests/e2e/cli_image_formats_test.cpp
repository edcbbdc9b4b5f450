// S-record and ELF images through the command line: the bundled example built to ELF by avr-gcc
// converts to the same bytes as avr-objcopy gives, and one auto-program from it writes Flash,
// EEPROM and fuses on the simulated ATmega8; S-records convert both ways.
#include <gtest/gtest.h>

#include <cstdlib>

#include "e2e/cli_test_support.h"

namespace tovel::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

int run(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()); }

class CliImageFormats : public ::testing::Test {
protected:
    // blink.elf built from the example's source; false when there is no AVR toolchain.
    bool buildElf() {
        if (run("avr-gcc --version") != 0 || run("avr-objcopy --version") != 0) return false;
        const std::string source = std::string(TOVEL_SOURCE_DIR) + "/examples/atmega8/blink.S";
        return run("avr-gcc -mmcu=atmega8 -nostartfiles -nostdlib -o '" + elf + "' '" + source + "'") == 0;
    }
    Bytes objcopy(const std::string& options, const std::string& name) {
        EXPECT_EQ(run("avr-objcopy -O binary " + options + " '" + elf + "' '" + bench.file(name) + "'"), 0);
        return readBytes(bench.file(name));
    }

    CliBench bench;
    std::string elf = bench.file("blink.elf");
    std::string state = bench.file("chip.state");
};

TEST_F(CliImageFormats, ConvertingTheElfGivesObjcopysFlashAndEeprom) {
    if (!buildElf()) GTEST_SKIP() << "the AVR toolchain (gcc-avr, binutils-avr) is not installed";
    const Bytes flash = objcopy("-R .eeprom -R .fuse -R .lock -R .signature", "objcopy-flash.bin");
    const Bytes eeprom = objcopy("-j .eeprom --change-section-lma .eeprom=0", "objcopy-eeprom.bin");

    CliResult r = bench.run({"convert", elf, bench.file("flash.bin")});
    ASSERT_EQ(r.exit, 0) << r.err;
    Bytes ours = readBytes(bench.file("flash.bin"));
    // The Flash buffer rounds an odd size up with one 0xFF byte.
    if (ours.size() == flash.size() + 1 && ours.back() == 0xFF) ours.pop_back();
    EXPECT_TRUE(ours == flash);

    // An output named .eep takes the EEPROM.
    r = bench.run({"convert", elf, bench.file("eeprom.eep")});
    ASSERT_EQ(r.exit, 0) << r.err;
    r = bench.run({"convert", bench.file("eeprom.eep"), bench.file("eeprom.bin")});
    ASSERT_EQ(r.exit, 0) << r.err;
    EXPECT_TRUE(readBytes(bench.file("eeprom.bin")) == eeprom);
}

TEST_F(CliImageFormats, OneAutoProgramFromTheElfWritesFlashEepromAndFuses) {
    if (!buildElf()) GTEST_SKIP() << "the AVR toolchain (gcc-avr, binutils-avr) is not installed";
    const Bytes flash = objcopy("-R .eeprom -R .fuse -R .lock -R .signature", "objcopy-flash.bin");
    const Bytes eeprom = objcopy("-j .eeprom --change-section-lma .eeprom=0", "objcopy-eeprom.bin");
    writeFile(bench.file("elf.tvl"), "[Files]\nFlash=blink.elf\nEeprom=blink.elf\n"
                                     "[Settings]\nResetStrobeLength=2\nCheckSign=1\nSPIPeriod=5\n"
                                     "[AutoProgram]\nAutoErase=1\nAutoFlashProgram=1\nAutoFlashVerify=1\n"
                                     "AutoEepromProgram=1\nAutoEepromVerify=1\n[Device]\nDeviceNo=9\n");

    // The fuses come from the file once the person agrees.
    CliResult r = bench.run({"--yes", "--simulate-state", state, "autoprogram", bench.file("elf.tvl")});
    ASSERT_EQ(r.exit, 0) << r.out << r.err;
    EXPECT_TRUE(r.errHas("fuse bytes A1 D9")) << r.err;

    r = bench.run({"--simulate-state", state, "fuses", "read"});
    ASSERT_EQ(r.exit, 0) << r.err;
    EXPECT_TRUE(r.outHas("Fuse bytes (low, high, extended): 0xA1 0xD9\n")) << r.out;
    r = bench.run({"--simulate-state", state, "read", "flash", bench.file("chip-flash.bin")});
    ASSERT_EQ(r.exit, 0) << r.err;
    const Bytes chipFlash = readBytes(bench.file("chip-flash.bin"));
    EXPECT_TRUE(Bytes(chipFlash.begin(), chipFlash.begin() + static_cast<std::ptrdiff_t>(flash.size())) ==
                flash);
    r = bench.run({"--simulate-state", state, "read", "eeprom", bench.file("chip-eeprom.bin")});
    ASSERT_EQ(r.exit, 0) << r.err;
    const Bytes chipEeprom = readBytes(bench.file("chip-eeprom.bin"));
    EXPECT_TRUE(Bytes(chipEeprom.begin(), chipEeprom.begin() + static_cast<std::ptrdiff_t>(eeprom.size())) ==
                eeprom);

    // Without the person's Yes, the chip's fuses stay as they are.
    const std::string other = bench.file("other.state");
    r = bench.run({"--simulate-state", other, "autoprogram", bench.file("elf.tvl")});
    ASSERT_EQ(r.exit, 0) << r.out << r.err;
    r = bench.run({"--simulate-state", other, "fuses", "read"});
    EXPECT_TRUE(r.outHas("Fuse bytes (low, high, extended): 0xE1 0xD9\n")) << r.out;
}

TEST_F(CliImageFormats, ElfFilesForOtherMachinesAreRefused) {
    // This test program is an ELF file for the machine it runs on.
    std::filesystem::copy_file("/proc/self/exe", bench.file("host.elf"));
    const CliResult r = bench.run({"convert", bench.file("host.elf"), bench.file("out.bin")});
    EXPECT_NE(r.exit, 0);
    EXPECT_TRUE(r.errHas("is an ELF file for another architecture, not for AVR chips.")) << r.err;
}

TEST_F(CliImageFormats, ConvertWritesAndReadsSRecords) {
    bench.example();
    CliResult r = bench.run({"convert", bench.file("blink.hex"), bench.file("blink.s19")});
    ASSERT_EQ(r.exit, 0) << r.err;
    EXPECT_EQ(readFile(bench.file("blink.s19")).substr(0, 12), "S0030000FC\r\n");
    r = bench.run({"convert", bench.file("blink.s19"), bench.file("from-srec.bin")});
    ASSERT_EQ(r.exit, 0) << r.err;
    r = bench.run({"convert", bench.file("blink.hex"), bench.file("from-hex.bin")});
    ASSERT_EQ(r.exit, 0) << r.err;
    EXPECT_TRUE(readBytes(bench.file("from-srec.bin")) == readBytes(bench.file("from-hex.bin")));

    // A damaged record is refused with its line, and nothing is written.
    std::string text = readFile(bench.file("blink.s19"));
    text[text.find("\r\nS1") + 10] = 'G';
    writeFile(bench.file("bad.mot"), text);
    r = bench.run({"convert", bench.file("bad.mot"), bench.file("bad.bin")});
    EXPECT_NE(r.exit, 0);
    EXPECT_TRUE(r.errHas("Error in S-record file at line 2: a character that is not a hexadecimal digit."))
        << r.err;
    EXPECT_FALSE(std::filesystem::exists(bench.file("bad.bin")));
}

} // namespace
} // namespace tovel::test
