// Every valid Intel HEX layout decodes to the same image: random images written with random
// record lengths, line ends and address records by a writer of the test's own, and files written
// by srec_cat and objcopy compared with objcopy's own reading of them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "image/hex_decoder.h"
#include "image/image_limits.h"
#include "unit/image_test_files.h"

using namespace tovel;
using namespace tovel::test;

namespace {

struct Chunk {
    std::uint32_t address;
    std::vector<std::uint8_t> bytes;
};

// The image the chunks make: 0xFF gaps, up to the highest byte written.
std::vector<std::uint8_t> imageOf(const std::vector<Chunk>& chunks) {
    std::vector<std::uint8_t> image;
    for (const Chunk& chunk : chunks) {
        if (image.size() < chunk.address + chunk.bytes.size())
            image.resize(chunk.address + chunk.bytes.size(), 0xFF);
        std::copy(chunk.bytes.begin(), chunk.bytes.end(), image.begin() + chunk.address);
    }
    return image;
}

// A HEX writer that varies everything a valid file may vary.
class RandomLayoutWriter {
public:
    explicit RandomLayoutWriter(std::mt19937& random) : random_(random) {}

    std::string write(const std::vector<Chunk>& chunks) {
        std::string text = pick(8) == 0 ? "\xEF\xBB\xBF" : "";
        const bool segments = pick(2) == 0;
        std::uint32_t base = 0;
        for (const Chunk& chunk : chunks) {
            std::size_t at = 0;
            while (at < chunk.bytes.size()) {
                const std::uint32_t address = chunk.address + static_cast<std::uint32_t>(at);
                // A record stays within the 64 KiB its address record opens.
                const std::uint32_t windowBase = address & ~0xFFFFu;
                if (windowBase != base || text.empty()) {
                    base = windowBase;
                    if (segments && base < (1u << 20))
                        text += line(2, 0, {static_cast<std::uint8_t>(base >> 12), 0});
                    else
                        text += line(
                            4, 0,
                            {static_cast<std::uint8_t>(base >> 24), static_cast<std::uint8_t>(base >> 16)});
                }
                const std::size_t room = windowBase + 0x10000 - address;
                const std::size_t n =
                    std::min({static_cast<std::size_t>(1 + pick(255)), chunk.bytes.size() - at, room});
                text += line(0, address & 0xFFFF,
                             {chunk.bytes.begin() + static_cast<long>(at),
                              chunk.bytes.begin() + static_cast<long>(at + n)});
                at += n;
            }
        }
        text += line(1, 0, {});
        if (pick(3) == 0) text.erase(text.find_last_not_of("\r\n") + 1); // no final line end
        return text;
    }

private:
    unsigned pick(unsigned n) { return std::uniform_int_distribution<unsigned>(0, n - 1)(random_); }

    std::string line(unsigned type, unsigned address, const std::vector<std::uint8_t>& bytes) {
        static const char* const kLineEnds[] = {"\n", "\r\n", "\r", "  \r\n", "\n\n", "\t\r\n\r\n"};
        std::string record = hexRecord(type, address, bytes, kLineEnds[pick(6)]);
        if (pick(2) == 0)
            for (char& c : record) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return record;
    }

    std::mt19937& random_;
};

std::vector<std::uint8_t> randomBytes(std::mt19937& random, std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
    return bytes;
}

} // namespace

TEST(HexLayouts, RandomImagesInRandomLayoutsDecodeToTheSameImage) {
    std::mt19937 random(20261207);
    std::vector<std::uint8_t> area(kMaxImageSize);
    for (int run = 0; run < 300; ++run) {
        std::vector<Chunk> chunks;
        const int count = 1 + static_cast<int>(random() % 5);
        for (int i = 0; i < count; ++i) {
            // Mostly low addresses; some near the top of the image area.
            const std::uint32_t top =
                random() % 4 == 0 ? static_cast<std::uint32_t>(kMaxImageSize) : 300u << 10;
            const std::size_t size = 1 + random() % 3000;
            const std::uint32_t address = static_cast<std::uint32_t>(random() % (top - size));
            chunks.push_back({address, randomBytes(random, size)});
        }
        const std::string text = RandomLayoutWriter(random).write(chunks);
        const HexScan scan = decodeHexInto(asBytes(text), area, [] { return false; });
        ASSERT_EQ(scan.outcome, HexOutcome::Decoded) << "run " << run << ", line " << scan.error.line;
        const std::vector<std::uint8_t> expected = imageOf(chunks);
        ASSERT_EQ(scan.end, expected.size()) << "run " << run;
        ASSERT_TRUE(std::equal(expected.begin(), expected.end(), area.begin())) << "run " << run;
    }
}

namespace {

bool run(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

class OtherToolsFiles : public ::testing::Test {
protected:
    void SetUp() override {
        if (!run("srec_cat -version") || !run("objcopy --version"))
            GTEST_SKIP() << "srec_cat or objcopy missing";
    }

    // Our image of `hex` from `offset` on equals objcopy's binary, which starts at the lowest
    // address of the file.
    void expectSameAsObjcopy(const std::string& hex, std::size_t offset) {
        ASSERT_TRUE(run("objcopy -I ihex -O binary '" + hex + "' '" + folder.file("objcopy.bin") + "'"));
        const std::vector<std::uint8_t> theirs = readBytes(folder.file("objcopy.bin"));
        const HexDecodeResult ours = decodeHex(asBytes(readFile(hex)), [] { return false; });
        ASSERT_EQ(ours.outcome, HexOutcome::Decoded) << hex << " line " << ours.error.line;
        ASSERT_EQ(ours.image.size(), offset + theirs.size()) << hex;
        EXPECT_TRUE(std::equal(theirs.begin(), theirs.end(), ours.image.data() + offset)) << hex;
    }

    ScratchFolder folder;
};

} // namespace

TEST_F(OtherToolsFiles, SrecCatAndObjcopyFilesDecodeAsObjcopyReadsThem) {
    std::mt19937 random(7);
    writeFile(folder.file("image.bin"), randomBytes(random, 200000));
    const std::string image = folder.file("image.bin");
    const std::string in = std::string("'").append(image).append("' -binary");
    const struct {
        const char* name;
        std::string options;
        std::size_t offset;
    } cases[] = {
        {"srec255-a2.hex", "-o '%s' -intel -address-length=2 -Output_Block_Size 255", 0},
        {"srec255-a3.hex", "-o '%s' -intel -address-length=3 -Output_Block_Size 255", 0},
        {"srec64-a4.hex", "-offset 0x30000 -o '%s' -intel -address-length=4 -Output_Block_Size 64", 0x30000},
        {"srec32-a4-crlf.hex", "-o '%s' -intel -address-length=4 -Output_Block_Size 32 -crlf", 0},
    };
    for (const auto& c : cases) {
        const std::string out = folder.file(c.name);
        std::string options = c.options;
        options.replace(options.find("%s"), 2, out);
        if (std::string(c.name).starts_with("srec255-a2")) {
            // 16-bit addresses reach only 64 KiB.
            ASSERT_TRUE(run("srec_cat " + in + " -crop 0 0x10000 " + options));
        } else {
            ASSERT_TRUE(run("srec_cat " + in + " " + options));
        }
        expectSameAsObjcopy(out, c.offset);
    }
    ASSERT_TRUE(run("objcopy -I binary -O ihex --change-addresses 0x12340 '" + folder.file("image.bin") +
                    "' '" + folder.file("objcopy.hex") + "'"));
    expectSameAsObjcopy(folder.file("objcopy.hex"), 0x12340);
}
