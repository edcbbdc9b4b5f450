// The bench the memory transfer tests run on: the simulated board on a pseudo-terminal as COM1,
// the real serial channel and board session, a recording front end whose progress runs go
// through the headless host, and the state a workbench would own. Protocol pauses are recorded,
// not slept, so the suite stays fast; the simulator's timing model is off.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "board/board_session.h"
#include "board/headless_runner_host.h"
#include "board/port_map.h"
#include "board/posix_serial_channel.h"
#include "board/progress_observer.h"
#include "core/clock.h"
#include "devices/device_table.h"
#include "image/byte_attribute.h"
#include "image/memory_buffer.h"
#include "ops/chip_context.h"
#include "project/project.h"
#include "project/settings_file.h"
#include "sim/pty_board_host.h"
#include "support/cancel_at.h"
#include "support/recording_ui.h"
#include "support/test_clock.h"

namespace tovel::test {

// The byte attributes a transfer leaves, as attributeOf reports them.
inline constexpr int kProgrammed = static_cast<int>(ByteAttribute::Programmed);
inline constexpr int kVerified = static_cast<int>(ByteAttribute::Verified);
inline constexpr int kRead = static_cast<int>(ByteAttribute::ReadFromChip);
inline constexpr int kNotConfirmed = static_cast<int>(ByteAttribute::NotConfirmed);

using Bytes = std::vector<std::uint8_t>;

class TransferTest : public ::testing::Test {
protected:
    // The chip in the socket is `device`; the project selects the same device unless told otherwise.
    void SetUp() override {}
    void startBoard(const std::string& device, sim::SimOptions options = {}) {
        options.device = device;
        host_ = std::make_unique<sim::PtyBoardHost>(options);
        ASSERT_TRUE(host_->ok()) << host_->error();
        ports.setOverride(1, host_->slavePath());
        select(device);
    }
    void select(const std::string& device) {
        const int row = DeviceTable::findByName(device.c_str());
        ASSERT_GE(row, 0) << device;
        project.deviceIndex = row;
    }
    sim::PtyBoardHost& board() { return *host_; }

    // Fills a buffer as if an image of these bytes had been loaded.
    static void fill(MemoryBuffer& buffer, const Bytes& bytes) {
        ASSERT_TRUE(buffer.create(bytes.size()));
        std::copy(bytes.begin(), bytes.end(), buffer.data().begin());
        buffer.setAllAttributes(ByteAttribute::Loaded);
    }
    // What the chip holds in [from, to).
    Bytes chipFlash(std::size_t from, std::size_t to) const { return slice(host_->flash(), from, to); }
    Bytes chipEeprom(std::size_t from, std::size_t to) const { return slice(host_->eeprom(), from, to); }
    static Bytes slice(const Bytes& all, std::size_t from, std::size_t to) {
        to = std::min(to, all.size());
        return from < to ? Bytes(all.begin() + static_cast<std::ptrdiff_t>(from),
                                 all.begin() + static_cast<std::ptrdiff_t>(to))
                         : Bytes{};
    }
    static Bytes bytesOf(const MemoryBuffer& buffer) { return {buffer.data().begin(), buffer.data().end()}; }
    // The attribute every byte in [from, to) has, or -1 when they differ.
    static int attributeOf(const MemoryBuffer& buffer, std::size_t from, std::size_t to) {
        const auto a = buffer.attributes();
        if (from >= to || to > a.size()) return -1;
        for (std::size_t i = from; i < to; ++i)
            if (a[i] != a[from]) return -1;
        return a[from];
    }

    // What the host sent the board since the log was last cleared, as "7B 10 ..." hex.
    std::string sentHex() const;
    // How often the byte sequence `hex` ("34 4C 00 20 00") was sent.
    std::size_t timesSent(const std::string& hex) const;
    bool sent(const std::string& hex) const { return timesSent(hex) > 0; }
    // Where `hex` first starts in the sent bytes (in bytes), or npos.
    std::size_t firstSent(const std::string& hex) const;

    std::vector<std::string> statuses() const { return ui.statuses(); }
    std::vector<std::string> boxes() const { return ui.boxes(); }
    std::vector<std::string> questions() const { return ui.questions(); }
    // Status lines from `first` on.
    std::vector<std::string> statusesFrom(const std::string& first) const;

    static Bytes pattern(std::size_t size, std::uint8_t seed = 1);
    // The 16-bit sum of the bytes as the length line shows it ("%04X").
    static std::string checksumHex(const Bytes& bytes);
    static AppSettings linkOnCom1() {
        AppSettings link;
        link.comPort = 1;
        link.baudIndex = Baud921600;
        return link;
    }

    std::unique_ptr<sim::PtyBoardHost> host_;
    PortMap ports;
    PosixSerialChannel channel{ports, 500};
    RecordingUi ui;
    Messages messages;
    TestClock clock;
    BoardSession session{channel, ui, messages, clock};
    Project project{ui, messages};
    MemoryBuffer flash{ui, messages, false};
    MemoryBuffer eeprom{ui, messages, true};
    AppSettings settings = linkOnCom1();
    OperationState state;
    CancelAt cancelAt;
    HeadlessRunnerHost runnerHost{&cancelAt};
    int refreshes = 0;
    ChipContext context{ui,
                        messages,
                        clock,
                        session,
                        project,
                        flash,
                        eeprom,
                        settings,
                        state,
                        [this](int deviceNo) { project.deviceIndex = deviceNo; },
                        [this](const MemoryBuffer&) { ++refreshes; }};

    TransferTest() {
        ui.runHook = [this](OperationRunner& runner) {
            cancelAt.running(&runner);
            const Outcome result = runnerHost.runModal(runner);
            cancelAt.running(nullptr);
            return result;
        };
    }
};

// The status lines a programming session at 921600 baud shows for an AVR part before the
// operation's own (reset strobe 20 ms).
std::vector<std::string> avrSessionLines(const std::string& operation);

} // namespace tovel::test
