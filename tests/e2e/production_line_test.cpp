// The production line under its front ends: a store that can no longer be written stops the
// line, and the board that could not take a number never programs its chip.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>

#include "board/headless_runner_host.h"
#include "board/port_map.h"
#include "e2e/cli_test_support.h"
#include "production/job_copy.h"
#include "production/production_line.h"
#include "production/sqlite_serial_allocator.h"
#include "sim/pty_board_host.h"
#include "support/recording_ui.h"
#include "workbench/workbench.h"

namespace tovel::test {
namespace {

// The real store for the first `allowed` chips, then a full disk.
class FillingStore final : public SerialAllocator {
public:
    FillingStore(const std::string& path, int allowed) : store_(path), allowed_(allowed) {}

    bool allocate(const std::vector<CounterClaim>& claims, ChipRecord& chip) override {
        if (allowed_-- <= 0) return false;
        return store_.allocate(claims, chip);
    }
    bool finish(const ChipRecord& chip) override { return store_.finish(chip); }
    std::optional<std::uint64_t> next(const std::string& counter) override { return store_.next(counter); }
    ChipCounts counts() override { return store_.counts(); }
    std::vector<ChipRecord> chips() override { return store_.chips(); }
    std::string lastError() const override { return "database or disk is full"; }

private:
    SqliteSerialAllocator store_;
    std::atomic<int> allowed_;
};

struct Station {
    RecordingUi ui;
    HeadlessRunnerHost host;
    std::unique_ptr<Workbench> workbench;

    Station(const std::string& settings, const std::string& path) {
        ui.runHook = [this](OperationRunner& runner) { return host.runModal(runner); };
        workbench = std::make_unique<Workbench>(ui, systemClock(), Workbench::ChannelFactory{}, settings);
        workbench->readSettings();
        workbench->overridePortAndSpeed(workbench->portMap().useDirectPath(path), 0);
    }
};

TEST(ProductionLine, AStoreThatCannotBeWrittenStopsTheLineBeforeAChipGoesWithoutANumber) {
    CliBench bench;
    const std::string project = bench.counterProject(7);
    Station job(bench.settings(), "/dev/null");
    ASSERT_TRUE(job.workbench->openProjectFile(project));

    std::vector<std::unique_ptr<sim::PtyBoardHost>> hosts;
    std::vector<std::unique_ptr<Station>> stations;
    std::vector<ProductionBoard> boards;
    for (int k = 0; k < 2; ++k) {
        sim::SimOptions options;
        options.device = "ATmega8";
        hosts.push_back(std::make_unique<sim::PtyBoardHost>(options));
        stations.push_back(std::make_unique<Station>(bench.settings(), hosts.back()->slavePath()));
        ASSERT_TRUE(copyJobTo(*job.workbench, *stations.back()->workbench));
        boards.push_back({"sim" + std::to_string(k + 1), stations.back()->workbench.get(), {}});
    }
    FillingStore store(bench.file("job.serials.db"), 1);
    ProductionLine::Hooks hooks;
    hooks.storeFailureText = [](const std::string& error) { return "store: " + error; };
    ProductionLine line(*job.workbench, &store, std::move(boards), std::move(hooks));
    line.runRound();

    EXPECT_EQ(line.stopReason(), "store: database or disk is full");
    EXPECT_TRUE(line.stopping());
    int programmed = 0;
    for (std::size_t k = 0; k < 2; ++k) {
        const std::vector<std::uint8_t> eeprom = hosts[k]->eeprom();
        const bool blank =
            std::all_of(eeprom.begin(), eeprom.begin() + 8, [](std::uint8_t b) { return b == 0xFF; });
        if (blank) {
            EXPECT_EQ(line.tally(k).chips, 0);
            EXPECT_TRUE(line.tally(k).firstFailure);
        } else {
            ++programmed;
            EXPECT_EQ(eeprom[3], 7);
            EXPECT_EQ(line.tally(k).passed, 1);
        }
    }
    EXPECT_EQ(programmed, 1);
    // A stopped line programs nothing more.
    line.runRound();
    EXPECT_EQ(store.chips().size(), 1u);
}

} // namespace
} // namespace tovel::test
