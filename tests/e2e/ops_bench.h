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
#include "support/cancel_at.h"
#include "support/recording_ui.h"
#include "support/test_clock.h"
#include "workbench/workbench.h"

namespace tovel::test {

using Bytes = std::vector<std::uint8_t>;

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
    TestClock clock; // each pause marked with the bytes the host had sent the board by then
    CancelAt cancel;

private:
    std::string folder_;
    std::unique_ptr<sim::PtyBoardHost> host_;
    PortMap ports_;
    PosixSerialChannel channel_{ports_, 400};
    HeadlessRunnerHost runner_{&cancel};
    std::unique_ptr<Workbench> bench_;
};

} // namespace tovel::test
