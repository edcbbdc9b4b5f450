// The serial memories are written up to the chip's size and no further, over a scripted board
// (the whole-chip runs would take too long over a pseudo-terminal).
#include <gtest/gtest.h>

#include <algorithm>

#include "board/board_session.h"
#include "board/headless_runner_host.h"
#include "image/memory_buffer.h"
#include "ops/chip_context.h"
#include "ops/memory_programming.h"
#include "project/project.h"
#include "support/fake_board_link.h"
#include "support/recording_ui.h"

namespace tovel::test {
namespace {

class TransferLimitsTest : public ::testing::Test {
protected:
    TransferLimitsTest() {
        settings.comPort = 1;
        settings.baudIndex = Baud921600;
        ui.runHook = [this](OperationRunner& runner) { return host.runModal(runner); };
        channel.board(1); // a well-behaved board on COM1
    }
    void select(const char* name) { project.deviceIndex = DeviceTable::findByName(name); }
    static void fill(MemoryBuffer& buffer, std::size_t size) {
        ASSERT_TRUE(buffer.create(size));
        std::fill(buffer.data().begin(), buffer.data().end(), std::uint8_t{0x5A});
    }
    std::size_t writes(const std::string& prefix) const {
        return static_cast<std::size_t>(
            std::count_if(log.entries().begin(), log.entries().end(),
                          [&](const std::string& e) { return e.rfind(prefix, 0) == 0; }));
    }
    int attribute(const MemoryBuffer& buffer, std::size_t at) const { return buffer.attributes()[at]; }

    WireLog log;
    TestClock clock = wireClock(log);
    FakeSerialChannel channel{log, clock};
    RecordingUi ui;
    Messages messages;
    BoardSession session{channel, ui, messages, clock};
    Project project{ui, messages};
    MemoryBuffer flash{ui, messages, false};
    MemoryBuffer eeprom{ui, messages, true};
    AppSettings settings;
    OperationState state;
    HeadlessRunnerHost host;
    ChipContext context{ui, messages, clock, session, project, flash, eeprom, settings, state, {}, {}};
};

TEST_F(TransferLimitsTest, AnAt25IsWrittenUpToItsSizeAndTheAddressNeverWraps) {
    select("AT25256");
    fill(eeprom, 32768 + 200);
    ui.queueAnswer(Answer::Ok);
    programEeprom(context);

    EXPECT_EQ(ui.questions(),
              std::vector<std::string>{"Warning: only first 32768 bytes Eeprom will be processed."});
    // The page addresses that follow each write instruction (select, 02, high, low).
    std::vector<std::string> sent;
    for (const std::string& entry : log.entries())
        if (entry.rfind("> ", 0) == 0) sent.push_back(entry);
    std::vector<std::string> addresses;
    for (std::size_t i = 0; i + 3 < sent.size(); ++i)
        if (sent[i] == "> 39" && sent[i + 1] == "> 36 02")
            addresses.push_back(sent[i + 2] + sent[i + 3].substr(4));
    ASSERT_EQ(addresses.size(), 512u);
    EXPECT_EQ(addresses.front(), "> 36 00 00");
    EXPECT_EQ(addresses.back(), "> 36 7F C0");
    EXPECT_EQ(attribute(eeprom, 32767), 2);
    EXPECT_EQ(attribute(eeprom, 32768), 5);
    EXPECT_EQ(ui.lastStatus(),
              "Eeprom program: Done (32768 bytes programmed)"); // what reached the chip, not the image
}

TEST_F(TransferLimitsTest, AnAt45IsWrittenUpToItsSize) {
    select("AT45DB041");
    fill(flash, 524288 + 1000);
    ui.queueAnswer(Answer::Ok);
    programFlash(context);

    EXPECT_EQ(ui.questions(),
              std::vector<std::string>{"Warning: only first 524288 bytes Flash will be processed."});
    EXPECT_EQ(writes("> 30 00 04 83"), 1986u);       // 1,985 whole pages of 264 bytes and one of 248
    EXPECT_EQ(writes("> 30 00 04 83 0F 82 00"), 1u); // page 1,985 shifted left by one
    EXPECT_EQ(attribute(flash, 524287), 2);
    EXPECT_EQ(attribute(flash, 524288), 5);
    EXPECT_EQ(ui.lastStatus(), "Flash program: Done (524288 bytes programmed)");
}

} // namespace
} // namespace tovel::test
