// The SQLite serial-number allocator: the sequence, its floor and limit, spent numbers, and two
// processes drawing from one job at once.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <thread>

#include <sys/wait.h>
#include <unistd.h>

#include "production/sqlite_serial_allocator.h"

namespace tovel {
namespace {

namespace fs = std::filesystem;

constexpr std::uint64_t kFourBytes = 0xFFFFFFFFu;

class SerialAllocatorTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("tovel-serials-" + std::to_string(::getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        path = (dir / "job.serials.db").string();
    }
    void TearDown() override { fs::remove_all(dir); }

    static ChipRecord chipOn(const std::string& port) {
        ChipRecord chip;
        chip.startedAt = "2026-01-01T00:00:00+0000";
        chip.port = port;
        chip.device = "ATmega8";
        return chip;
    }

    fs::path dir;
    std::string path;
};

TEST_F(SerialAllocatorTest, HandsOutTheNextNumberFromTheImageCounterOnAndKeepsItAcrossReopening) {
    {
        SqliteSerialAllocator allocator(path);
        ASSERT_TRUE(allocator.ok()) << allocator.lastError();
        EXPECT_FALSE(allocator.next("flash"));
        ChipRecord first = chipOn("sim1");
        ASSERT_TRUE(allocator.allocate({{"flash", 0x41, kFourBytes}}, first));
        EXPECT_EQ(first.flashSerial, 0x41u);
        EXPECT_FALSE(first.eepromSerial);
        EXPECT_GT(first.id, 0);
        ChipRecord second = chipOn("sim2");
        ASSERT_TRUE(allocator.allocate({{"flash", 0x41, kFourBytes}, {"eeprom", 7, 0xFF}}, second));
        EXPECT_EQ(second.flashSerial, 0x42u);
        EXPECT_EQ(second.eepromSerial, 7u);
    }
    SqliteSerialAllocator reopened(path);
    EXPECT_EQ(reopened.next("flash"), 0x43u);
    ChipRecord third = chipOn("sim1");
    ASSERT_TRUE(reopened.allocate({{"flash", 0x41, kFourBytes}}, third));
    EXPECT_EQ(third.flashSerial, 0x43u);
    // An image whose counter was moved on by hand starts the sequence there.
    ChipRecord jumped = chipOn("sim1");
    ASSERT_TRUE(reopened.allocate({{"flash", 0x1000, kFourBytes}}, jumped));
    EXPECT_EQ(jumped.flashSerial, 0x1000u);
}

TEST_F(SerialAllocatorTest, ANumberSpentOnAFailedOrUnfinishedChipIsNeverReused) {
    SqliteSerialAllocator allocator(path);
    ChipRecord failed = chipOn("sim1");
    ASSERT_TRUE(allocator.allocate({{"flash", 1, kFourBytes}}, failed));
    failed.result = ChipResult::Failed;
    failed.status = "Autoprogram: ERROR verifying Flash";
    failed.exitCode = 5;
    failed.durationMs = 1234;
    failed.signature = "1E 93 07";
    ASSERT_TRUE(allocator.finish(failed));
    ChipRecord lost = chipOn("sim2"); // its process died before the outcome was known
    ASSERT_TRUE(allocator.allocate({{"flash", 1, kFourBytes}}, lost));
    ChipRecord passed = chipOn("sim1");
    ASSERT_TRUE(allocator.allocate({{"flash", 1, kFourBytes}}, passed));
    passed.result = ChipResult::Passed;
    ASSERT_TRUE(allocator.finish(passed));

    const std::vector<ChipRecord> chips = allocator.chips();
    ASSERT_EQ(chips.size(), 3u);
    EXPECT_EQ(chips[0].flashSerial, 1u);
    EXPECT_EQ(chips[0].result, ChipResult::Failed);
    EXPECT_EQ(chips[0].status, "Autoprogram: ERROR verifying Flash");
    EXPECT_EQ(chips[0].exitCode, 5);
    EXPECT_EQ(chips[0].durationMs, 1234);
    EXPECT_EQ(chips[0].signature, "1E 93 07");
    EXPECT_EQ(chips[1].flashSerial, 2u);
    EXPECT_EQ(chips[1].result, ChipResult::Spent);
    EXPECT_EQ(chips[1].port, "sim2");
    EXPECT_EQ(chips[2].flashSerial, 3u);
    EXPECT_EQ(chips[2].result, ChipResult::Passed);

    const ChipCounts counts = allocator.counts();
    EXPECT_EQ(counts.passed, 1);
    EXPECT_EQ(counts.failed, 2);
    EXPECT_EQ(counts.total, 3);

    ChipRecord unknown = chipOn("sim1");
    unknown.id = 99;
    EXPECT_FALSE(allocator.finish(unknown));
}

TEST_F(SerialAllocatorTest, ACounterAtItsLimitRefusesRatherThanWrapToTheFirstNumbers) {
    SqliteSerialAllocator allocator(path);
    ChipRecord last = chipOn("sim1");
    ASSERT_TRUE(allocator.allocate({{"flash", 0xFF, 0xFF}}, last));
    EXPECT_EQ(last.flashSerial, 0xFFu);
    ChipRecord beyond = chipOn("sim1");
    EXPECT_FALSE(allocator.allocate({{"flash", 0, 0xFF}, {"eeprom", 0, 0xFF}}, beyond));
    EXPECT_FALSE(allocator.lastError().empty());
    EXPECT_EQ(beyond.id, 0);
    // Nothing of the refused chip was taken, not even from the counter that had numbers left.
    EXPECT_FALSE(allocator.next("eeprom"));
    EXPECT_EQ(allocator.chips().size(), 1u);
}

TEST_F(SerialAllocatorTest, AStoreThatCannotBeOpenedSaysWhy) {
    SqliteSerialAllocator allocator((dir / "missing" / "job.serials.db").string());
    EXPECT_FALSE(allocator.ok());
    EXPECT_FALSE(allocator.lastError().empty());
    ChipRecord chip = chipOn("sim1");
    EXPECT_FALSE(allocator.allocate({{"flash", 0, kFourBytes}}, chip));
    EXPECT_EQ(SqliteSerialAllocator::pathForProject("/lines/job.tvk"), "/lines/job.serials.db");
}

TEST_F(SerialAllocatorTest, TwoProcessesAndTwoThreadsOnOneJobNeverShareANumber) {
    constexpr int kChipsEach = 80;
    const auto drawChips = [&](const std::string& port) {
        SqliteSerialAllocator allocator(path);
        for (int n = 0; n < kChipsEach; ++n) {
            ChipRecord chip = chipOn(port);
            if (!allocator.allocate({{"flash", 100, kFourBytes}}, chip)) return false;
        }
        return true;
    };
    { SqliteSerialAllocator create(path); } // the schema exists before the race starts
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) ::_exit(drawChips("child") ? 0 : 1);
    std::thread second([&] { EXPECT_TRUE(drawChips("thread")); });
    EXPECT_TRUE(drawChips("parent"));
    second.join();
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    SqliteSerialAllocator allocator(path);
    const std::vector<ChipRecord> chips = allocator.chips();
    ASSERT_EQ(chips.size(), 3u * kChipsEach);
    std::set<std::uint64_t> numbers;
    for (const ChipRecord& chip : chips) numbers.insert(chip.flashSerial.value_or(0));
    EXPECT_EQ(numbers.size(), chips.size());
    EXPECT_EQ(*numbers.begin(), 100u);
    EXPECT_EQ(*numbers.rbegin(), 100u + 3 * kChipsEach - 1);
    EXPECT_EQ(allocator.next("flash"), 100u + 3 * kChipsEach);
}

} // namespace
} // namespace tovel
