// Lock and fuse bytes from an image file become the selection that programs those same bytes.
#include <gtest/gtest.h>

#include "devices/device_table.h"
#include "devices/fuse_layout.h"
#include "devices/image_lock_fuse.h"
#include "devices/lock_fuse_codec.h"

using namespace tovel;

namespace {

using Bytes = std::vector<std::uint8_t>;

int row(const char* name) { return DeviceTable::findByName(name); }

} // namespace

TEST(ImageLockFuse, TheSelectionProgramsTheFilesBytes) {
    const int mega8 = row("ATmega8");
    const FuseLayout& layout = *layoutOf(mega8);
    const auto settings = lockFuseFromImage(mega8, {}, Bytes{0xA1, 0xD9}, Bytes{0xFC});
    ASSERT_TRUE(settings);
    const std::vector<FuseByteWrite> fuses = encodeFuses(layout, *settings);
    ASSERT_EQ(fuses.size(), 2u);
    EXPECT_EQ(fuses[0].instruction[3], 0xA1);
    EXPECT_EQ(fuses[1].instruction[3], 0xD9);
    const std::vector<SpiInstruction> lock =
        encodeLock(layout, DeviceTable::device(mega8).spiVariant, *settings);
    ASSERT_EQ(lock.size(), 1u);
    EXPECT_EQ(lock[0].bytes[3] | 0xC0, 0xFC);
}

TEST(ImageLockFuse, BytesTheFileLacksKeepTheCurrentChoice) {
    const int mega8 = row("ATmega8");
    LockFuseSettings current;
    current.lockMode = 2;
    current.fuse[3] = 1;
    const auto fusesOnly = lockFuseFromImage(mega8, current, Bytes{0xE1, 0x99}, std::nullopt);
    ASSERT_TRUE(fusesOnly);
    EXPECT_EQ(fusesOnly->lockMode, 2);
    const auto lockOnly = lockFuseFromImage(mega8, current, std::nullopt, Bytes{0xFF});
    ASSERT_TRUE(lockOnly);
    EXPECT_EQ(lockOnly->lockMode, 0);
    EXPECT_EQ(lockOnly->fuse, current.fuse);
}

TEST(ImageLockFuse, NothingWhereTheLayoutCannotTakeThem) {
    const int mega8 = row("ATmega8");
    EXPECT_FALSE(lockFuseFromImage(mega8, {}, std::nullopt, std::nullopt));
    EXPECT_FALSE(lockFuseFromImage(mega8, {}, Bytes{1, 2, 3, 4}, std::nullopt)); // another chip's fuses
    EXPECT_FALSE(lockFuseFromImage(mega8, {}, Bytes{}, std::nullopt));
    EXPECT_FALSE(lockFuseFromImage(row("AT89S8252"), {}, Bytes{0xFF}, Bytes{0xFC}));
    EXPECT_FALSE(lockFuseFromImage(row("AT45DB642"), {}, Bytes{0xFF}, std::nullopt));
}
