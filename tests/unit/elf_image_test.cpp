// The ELF reader against the AVR toolchain: the bundled example built by avr-gcc gives the same
// Flash and EEPROM bytes as avr-objcopy, with its fuse bytes; other objects are refused.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "image/elf_image.h"
#include "unit/image_test_files.h"

using namespace tovel;
using namespace tovel::test;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes bytesOf(const ByteBlock& block) { return {block.span().begin(), block.span().end()}; }

int run(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()); }

class ElfImageTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (run("avr-gcc --version") != 0 || run("avr-objcopy --version") != 0)
            GTEST_SKIP() << "the AVR toolchain (gcc-avr, binutils-avr) is not installed";
    }
    // Assembles `source` for the ATmega8 into an ELF file; its path.
    std::string assemble(const std::string& name, const std::string& source) {
        writeFile(folder.file(name + ".S"), source);
        const std::string elf = folder.file(name + ".elf");
        EXPECT_EQ(run("avr-gcc -mmcu=atmega8 -nostartfiles -nostdlib -o '" + elf + "' '" +
                      folder.file(name + ".S") + "'"),
                  0);
        return elf;
    }
    ScratchFolder folder;
};

} // namespace

TEST_F(ElfImageTest, TheExampleGivesObjcopysFlashEepromAndFuses) {
    const std::string source = std::string(TOVEL_SOURCE_DIR) + "/examples/atmega8/blink.S";
    const std::string elf = folder.file("blink.elf");
    ASSERT_EQ(run("avr-gcc -mmcu=atmega8 -nostartfiles -nostdlib -o '" + elf + "' '" + source + "'"), 0);
    ASSERT_EQ(run("avr-objcopy -O binary -R .eeprom -R .fuse -R .lock -R .signature '" + elf + "' '" +
                  folder.file("flash.bin") + "'"),
              0);
    ASSERT_EQ(run("avr-objcopy -O binary -j .eeprom --change-section-lma .eeprom=0 '" + elf + "' '" +
                  folder.file("eeprom.bin") + "'"),
              0);

    const ElfImage image = decodeElf(readBytes(elf));
    ASSERT_EQ(image.fault, ElfFault::None);
    EXPECT_TRUE(bytesOf(image.flash) == readBytes(folder.file("flash.bin")));
    EXPECT_TRUE(bytesOf(image.eeprom) == readBytes(folder.file("eeprom.bin")));
    // The same bytes as the example's own image files.
    EXPECT_EQ(image.flash[0], 0x12);
    EXPECT_EQ(image.eeprom.size(), 16u);
    EXPECT_EQ(image.fuse, (Bytes{0xA1, 0xD9}));
    EXPECT_FALSE(image.lock);
    EXPECT_FALSE(image.signature);
}

TEST_F(ElfImageTest, DataIsPlacedAtItsLoadAddressAndSpecialSectionsAreKept) {
    // .data runs from RAM but is stored in Flash after .text: its load address counts.
    const std::string elf = assemble("parts", R"(
        .text
        rjmp .
        .data
        .byte 0x11, 0x22, 0x33
        .section .lock, "aw", @progbits
        .byte 0xFC
        .section .signature, "aw", @progbits
        .byte 0x07, 0x93, 0x1E
    )");
    const ElfImage image = decodeElf(readBytes(elf));
    ASSERT_EQ(image.fault, ElfFault::None);
    ASSERT_EQ(
        run("avr-objcopy -O binary -R .lock -R .signature '" + elf + "' '" + folder.file("parts.bin") + "'"),
        0);
    EXPECT_TRUE(bytesOf(image.flash) == readBytes(folder.file("parts.bin")));
    ASSERT_GE(image.flash.size(), 5u);
    EXPECT_EQ(image.flash[2], 0x11);
    EXPECT_EQ(image.flash[4], 0x33);
    EXPECT_TRUE(image.eeprom.empty());
    EXPECT_EQ(image.lock, Bytes{0xFC});
    EXPECT_EQ(image.signature, (Bytes{0x07, 0x93, 0x1E}));
}

TEST_F(ElfImageTest, RefusesWhatItCannotProgram) {
    const std::string fusesOnly = assemble("fuses", ".section .fuse, \"aw\", @progbits\n.byte 0xE1, 0x99\n");
    EXPECT_EQ(decodeElf(readBytes(fusesOnly)).fault, ElfFault::NothingLoadable);

    // This test program is an ELF object for the machine it runs on.
    const Bytes host = readBytes("/proc/self/exe");
    ASSERT_TRUE(looksLikeElf(host));
    EXPECT_EQ(decodeElf(host).fault, ElfFault::OtherArchitecture);

    EXPECT_EQ(decodeElf(Bytes{'S', '0', '0', '3'}).fault, ElfFault::NotElf);
    EXPECT_EQ(decodeElf(Bytes{}).fault, ElfFault::NotElf);

    // Cut short: whatever libelf makes of it, nothing half-read comes back.
    const Bytes whole = readBytes(folder.file("fuses.elf"));
    for (const std::size_t length : {std::size_t{4}, std::size_t{52}, whole.size() / 2, whole.size() - 1}) {
        const ElfImage cut =
            decodeElf(Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length)));
        EXPECT_NE(cut.fault, ElfFault::None) << length;
        EXPECT_TRUE(cut.flash.empty() && cut.eeprom.empty()) << length;
    }
}
