// A transfer worker on a real session behind the headless host: Cancel stops it between blocks
// with the worker's own code, and the session then ends cleanly.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "board/board_commands.h"
#include "board/operation_runner.h"
#include "support/device_rows.h"
#include "support/sim_bench.h"

namespace tovel {
namespace {

// Reads the chip's Flash in 64-byte blocks, as the read operations do, stopping on Cancel.
class FlashReader final : public OperationRunner {
public:
    FlashReader(BoardSession& session, std::size_t size)
        : OperationRunner(session.messages()), session_(session), size_(size) {}

    std::vector<std::uint8_t> data;
    std::atomic<std::size_t> blocksRead{0};

protected:
    Outcome run() override {
        start("Read", "Reading Flash", static_cast<long>(size_ / 64));
        if (!board::setWaitCode(session_.channel(), 0xDC)) return Outcome::Failed;
        for (std::size_t block = 0; block < size_ / 64; ++block) {
            if (cancelRequested()) return Outcome::Cancelled;
            const std::uint8_t* bytes = board::readFlashBytes(session_.channel(), 64);
            if (bytes == nullptr) return Outcome::Failed;
            data.insert(data.end(), bytes, bytes + 64);
            ++blocksRead;
            setProgress(static_cast<long>(block));
        }
        return Outcome::Ok;
    }

private:
    BoardSession& session_;
    std::size_t size_;
};

TEST(RunnerE2E, CancelStopsTheTransferWithTheWorkersCode) {
    sim::SimOptions options;
    options.device = "ATmega128";
    options.timing.enabled = true; // wire time at 19200 baud: the read takes long enough to stop it
    test::SimBench bench(options);
    SessionParams params;
    params.deviceIndex = test::rowNamed("ATmega128");
    ASSERT_TRUE(bench.session.openSession(params, 1, 0));

    FlashReader reader(bench.session, 128 * 1024);
    std::thread person([&] {
        while (reader.blocksRead < 10) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        bench.running.host.requestCancel();
    });
    EXPECT_EQ(bench.ui.runModal(reader), Outcome::Cancelled);
    person.join();
    EXPECT_TRUE(reader.cancelRequested());
    EXPECT_LT(reader.data.size(), 128u * 1024u);
    EXPECT_EQ(reader.data.size() % 64, 0u);
    EXPECT_TRUE(bench.session.recoverBoard()); // stopped between blocks: the board is in step
}

TEST(RunnerE2E, CompleteTransferReadsWhatTheChipHolds) {
    sim::SimOptions options;
    options.device = "ATmega8";
    test::SimBench bench(options);
    std::vector<std::uint8_t> content(8192);
    for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<std::uint8_t>(i * 13 + 1);
    bench.board->setFlash(0, content);
    SessionParams params;
    ASSERT_TRUE(bench.session.openSession(params, 1, 2));
    FlashReader reader(bench.session, content.size());
    EXPECT_EQ(bench.ui.runModal(reader), Outcome::Ok);
    EXPECT_EQ(reader.data, content);
    EXPECT_FALSE(reader.cancelRequested());
    EXPECT_TRUE(bench.session.recoverBoard());
    const auto events = bench.running.progress.events();
    EXPECT_EQ(std::count_if(events.begin(), events.end(),
                            [](const std::string& e) { return e.rfind("bar ", 0) == 0; }),
              100); // bar 0 at the start, then 1..99
}

} // namespace
} // namespace tovel
