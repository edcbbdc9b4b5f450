#include <gtest/gtest.h>

#include <string>

#include "devices/device_table.h"
#include "devices/lock_labels.h"
#include "i18n/messages.h"

using namespace tovel;

TEST(LockLabels, AvrAndAt89sVariantsNameTheLevelsTheirOwnWay) {
    const Messages messages;
    auto label = [&](SpiVariant variant, std::int32_t level) {
        return std::string(messages.text(lockLabel(variant, level)));
    };
    EXPECT_EQ(label(SpiVariant::Avr, 0), "No");
    EXPECT_EQ(label(SpiVariant::Avr, 1), "LB1: Write protect");
    EXPECT_EQ(label(SpiVariant::Avr, 2), "LB1+LB2: R&&W protect");
    EXPECT_EQ(label(SpiVariant::Avr, 3), "LB1+LB2+LB3 (89S only)");
    for (const SpiVariant variant :
         {SpiVariant::At89S8252, SpiVariant::At89S53, SpiVariant::At89S51, SpiVariant::At25}) {
        EXPECT_EQ(label(variant, 0), "No locking");
        EXPECT_EQ(label(variant, 1), "LB1");
        EXPECT_EQ(label(variant, 2), "LB1+LB2");
        EXPECT_EQ(label(variant, 3), "LB1+LB2+LB3");
    }
    EXPECT_EQ(selectableLockLevels(SpiVariant::Avr), 3);
    EXPECT_EQ(selectableLockLevels(SpiVariant::At89S51), 4);
}

TEST(LockLabels, OutOfRangeLevelsGetTheNearestLabel) {
    EXPECT_EQ(lockLabel(SpiVariant::Avr, -1), msg::No);
    EXPECT_EQ(lockLabel(SpiVariant::Avr, 1 << 30), msg::LB1LB2LB3AvrLabel);
    EXPECT_EQ(lockLabel(SpiVariant::At89S51, 4), msg::LB1LB2LB3);
}
