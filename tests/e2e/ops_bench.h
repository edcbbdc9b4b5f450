// The bench the chip-operation and workbench tests run on: a Workbench over the real serial
// channel, talking to the simulated board on a pseudo-terminal as COM1 at 19200 baud, with a
// recording front end whose progress runs go through the headless host. Protocol pauses are
// recorded with the number of bytes sent by then, not slept, so the suite stays fast.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "board/headless_runner_host.h"
#include "board/port_map.h"
#include "board/posix_serial_channel.h"
#include "board/progress_observer.h"
#include "core/clock.h"
#include "sim/pty_board_host.h"
#include "support/recording_ui.h"
#include "workbench/workbench.h"

namespace tovel::test {

using Bytes = std::vector<std::uint8_t>;

// A clock whose sleeps return at once; each is recorded with the count of bytes the host had
// sent the board when it began.
class PauseRecordingClock final : public Clock {
public:
    struct Pause {
        unsigned ms;
        std::uint64_t afterBytes;
    };

    void sleepMs(unsigned milliseconds) override;
    std::uint64_t tickMs() override { return systemClock().tickMs(); }

    std::function<std::uint64_t()> bytesSent; // set by the bench
    std::vector<Pause> pauses() const;
    // Whether a pause of `ms` began right after the first `bytes` bytes had been sent.
    bool pausedAfter(unsigned ms, std::uint64_t bytes) const { return pausedBetween(ms, bytes, bytes); }
    // The same when the board may not have taken in the last bytes yet (a pause right after a send).
    bool pausedBetween(unsigned ms, std::uint64_t fromBytes, std::uint64_t toBytes) const;

private:
    mutable std::mutex mutex_;
    std::vector<Pause> pauses_;
};

// Presses Cancel once the run has reached `percent`.
class CancelAtPercent final : public ProgressObserver {
public:
    void arm(int percent) { percent_ = percent; }
    void running(OperationRunner* runner) { runner_ = runner; }
    void setTitle(const std::string& title) override;
    void setText(const std::string& text) override;
    void setPercentText(const std::string&) override {}
    void setBar(int percent) override;
    void setCancelVisible(bool) override {}
    std::vector<std::string> seen() const; // titles and texts in order

private:
    int percent_ = -1;
    OperationRunner* runner_ = nullptr;
    mutable std::mutex mutex_;
    std::vector<std::string> seen_;
};

class OpsBench : public ::testing::Test {
protected:
    OpsBench();
    ~OpsBench() override;

    // Puts `chip` in the socket and selects `selected` (default: the same device). The UI record
    // starts empty afterwards.
    void start(const std::string& chip, sim::SimOptions options = {}, const std::string& selected = "");
    sim::PtyBoardHost& board() { return *host_; }
    Workbench& bench() { return *bench_; }
    static int row(const std::string& name);

    // The bytes the host sent the board since the board started, as "34 AC 80 04 00 ..." hex.
    std::string sentHex() const;
    std::size_t timesSent(const std::string& hex) const;
    bool sent(const std::string& hex) const { return timesSent(hex) > 0; }
    // The index (in bytes) where `hex` is first sent at or after byte `from`, or npos.
    std::size_t findSent(const std::string& hex, std::size_t from = 0) const;
    std::uint64_t bytesSent() const { return host_->bytesFromHost(); }

    // A file in this test's own folder, with these bytes.
    std::string writeFile(const std::string& name, const Bytes& bytes) const;
    const std::string& folder() const { return folder_; }

    RecordingUi ui;
    PauseRecordingClock clock;
    CancelAtPercent cancel;

private:
    std::string folder_;
    std::unique_ptr<sim::PtyBoardHost> host_;
    PortMap ports_;
    PosixSerialChannel channel_{ports_, 400};
    HeadlessRunnerHost runner_{&cancel};
    std::unique_ptr<Workbench> bench_;
};

} // namespace tovel::test
