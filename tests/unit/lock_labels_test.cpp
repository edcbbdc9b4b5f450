#include <gtest/gtest.h>

#include <string>

#include "devices/device_table.h"
#include "devices/lock_labels.h"
#include "i18n/messages.h"

using namespace tovel;

TEST(LockLabels, AvrAndAt89sVariantsNameTheLevelsTheirOwnWay) {
    const Messages messages;
    auto label = [&](std::uint32_t variant, std::int32_t level) {
        return std::string(messages.text(lockLabel(variant, level)));
    };
    EXPECT_EQ(label(SpiAvr, 0), "No");
    EXPECT_EQ(label(SpiAvr, 1), "LB1: Write protect");
    EXPECT_EQ(label(SpiAvr, 2), "LB1+LB2: R&&W protect");
    EXPECT_EQ(label(SpiAvr, 3), "LB1+LB2+LB3 (89S only)");
    for (std::uint32_t variant : {1u, 3u, 4u, 10u}) {
        EXPECT_EQ(label(variant, 0), "No locking");
        EXPECT_EQ(label(variant, 1), "LB1");
        EXPECT_EQ(label(variant, 2), "LB1+LB2");
        EXPECT_EQ(label(variant, 3), "LB1+LB2+LB3");
    }
    EXPECT_EQ(selectableLockLevels(SpiAvr), 3);
    EXPECT_EQ(selectableLockLevels(SpiAt89S51), 4);
}

TEST(LockLabels, OutOfRangeLevelsGetTheNearestLabel) {
    EXPECT_EQ(lockLabel(SpiAvr, -1), msg::No);
    EXPECT_EQ(lockLabel(SpiAvr, 1 << 30), msg::LB1LB2LB3AvrLabel);
    EXPECT_EQ(lockLabel(SpiAt89S51, 4), msg::LB1LB2LB3);
}
