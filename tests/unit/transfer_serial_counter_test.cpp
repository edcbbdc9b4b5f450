#include <gtest/gtest.h>

#include <vector>

#include "image/memory_buffer.h"
#include "ops/serial_counter.h"
#include "support/recording_ui.h"

using namespace tovel;
using namespace tovel::test;

namespace {

constexpr std::uint8_t kChanged = static_cast<std::uint8_t>(ByteAttribute::ChangedInMemory);
constexpr std::uint8_t kLoaded = static_cast<std::uint8_t>(ByteAttribute::Loaded);

class SerialCounterTest : public ::testing::Test {
protected:
    // A 32-byte image of zeros (attributes "loaded"), the given bytes from `at` on.
    void image(std::size_t at, const std::vector<std::uint8_t>& bytes) {
        ASSERT_TRUE(buffer.create(32));
        std::fill(buffer.data().begin(), buffer.data().end(), std::uint8_t{0});
        buffer.setAllAttributes(ByteAttribute::Loaded);
        std::copy(bytes.begin(), bytes.end(), buffer.data().begin() + static_cast<std::ptrdiff_t>(at));
    }
    std::vector<std::uint8_t> bytesAt(std::size_t at, std::size_t count) const {
        const auto data = buffer.data();
        return {data.begin() + static_cast<std::ptrdiff_t>(at),
                data.begin() + static_cast<std::ptrdiff_t>(at + count)};
    }
    std::vector<std::uint8_t> attributesAt(std::size_t at, std::size_t count) const {
        const auto a = buffer.attributes();
        return {a.begin() + static_cast<std::ptrdiff_t>(at),
                a.begin() + static_cast<std::ptrdiff_t>(at + count)};
    }

    RecordingUi ui;
    Messages messages;
    MemoryBuffer buffer{ui, messages, false};
};

} // namespace

TEST_F(SerialCounterTest, CarriesIntoTheBytesBelowAndMarksOnlyTheBytesItChanged) {
    image(0x0E, {0x12, 0x34, 0xFF, 0xFF});
    ASSERT_TRUE(incrementSerialCounter(buffer, 0x11));
    EXPECT_EQ(bytesAt(0x0E, 4), (std::vector<std::uint8_t>{0x12, 0x35, 0x00, 0x00}));
    EXPECT_EQ(attributesAt(0x0E, 4), (std::vector<std::uint8_t>{kLoaded, kChanged, kChanged, kChanged}));
    EXPECT_TRUE(buffer.modified());

    image(0x0E, {0x00, 0x01, 0xFF});
    ASSERT_TRUE(incrementSerialCounter(buffer, 0x10));
    EXPECT_EQ(bytesAt(0x0E, 3), (std::vector<std::uint8_t>{0x00, 0x02, 0x00}));
}

TEST_F(SerialCounterTest, TheCounterIsAtMostFourBytesLong) {
    image(0x0C, {0x77, 0xFF, 0xFF, 0xFF, 0xFF});
    ASSERT_TRUE(incrementSerialCounter(buffer, 0x10));
    EXPECT_EQ(bytesAt(0x0C, 5), (std::vector<std::uint8_t>{0x77, 0x00, 0x00, 0x00, 0x00}));
    EXPECT_EQ(attributesAt(0x0C, 1), std::vector<std::uint8_t>{kLoaded});
}

TEST_F(SerialCounterTest, TheCarryStopsAtAddressZero) {
    image(0, {0xFF});
    ASSERT_TRUE(incrementSerialCounter(buffer, 0));
    EXPECT_EQ(bytesAt(0, 2), (std::vector<std::uint8_t>{0x00, 0x00}));
    EXPECT_EQ(attributesAt(0, 2), (std::vector<std::uint8_t>{kChanged, kLoaded}));
}

TEST_F(SerialCounterTest, AnAddressPastTheEndCountsInTheLastByte) {
    image(30, {0x00, 0x41});
    ASSERT_TRUE(incrementSerialCounter(buffer, 5000));
    EXPECT_EQ(bytesAt(30, 2), (std::vector<std::uint8_t>{0x00, 0x42}));
}

TEST_F(SerialCounterTest, ABufferWithoutFileOrDataIsLeftAlone) {
    buffer.close(); // "[Unspecified]"
    EXPECT_FALSE(incrementSerialCounter(buffer, 0));
    ASSERT_TRUE(buffer.create(4)); // keeps the name "[Unspecified]"
    EXPECT_FALSE(incrementSerialCounter(buffer, 0));
    EXPECT_EQ(bytesAt(0, 1), std::vector<std::uint8_t>{0xFF});
}
