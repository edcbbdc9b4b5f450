// The board model's state and the steps it is built from; shared by the files that implement
// BoardModel (line and timing, command execution, memory transfers).
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "sim/board_model.h"
#include "sim/chip.h"
#include "sim/fault_schedule.h"
#include "sim/trace_replay.h"

namespace tovel::sim {

constexpr int kIdleBaud = 19200;
constexpr std::size_t kImageGroups = 3072;
// A command left incomplete this long is dropped, so a host that died mid-command cannot put
// the next session out of step.
constexpr std::uint64_t kInterByteTimeoutUs = 1'000'000;

int baudForIndex(std::uint8_t index);
std::uint64_t waitCodeUs(std::uint8_t code);
std::uint64_t sckPeriodNs(std::uint8_t code);

struct BoardModel::Impl {
    explicit Impl(const SimOptions& options);

    // Line and timing (board_model.cpp).
    void receive(std::uint8_t byte, std::uint64_t atUs);
    void emit(std::vector<std::uint8_t> bytes);
    void logByte(Direction direction, std::uint8_t byte, std::uint64_t atUs);
    void waitUs(std::uint64_t us);

    // Commands (board_execute.cpp).
    void dispatch(std::vector<std::uint8_t> command);
    void imageGroup();
    std::vector<std::uint8_t> execute(const std::vector<std::uint8_t>& command, bool pollingFailure);
    std::vector<std::uint8_t> executeLoader(const std::vector<std::uint8_t>& command);
    bool loaderAnswers(std::uint8_t command) const;
    bool applyStateFault(const Fault& fault); // true when the command is swallowed
    void applyReplyFaults(std::vector<std::uint8_t>& reply, const ReplyFaults& faults);
    void powerCycle();
    void endSession();
    std::uint8_t enterProgramming();
    void replaceChip(const std::string& device, const std::optional<std::array<std::uint8_t, 3>>& signature);

    // The chip and memory transfers (board_transfers.cpp).
    std::uint8_t spi(std::uint8_t mosi);
    void setLine(LineLevel level);
    void collectChipWork();
    void waitForChip();
    void afterByteWrite();
    std::uint8_t writeBytes(bool flash, std::span<const std::uint8_t> data, bool pollingFailure);
    std::vector<std::uint8_t> readBytes(bool flash, std::size_t count);
    void setExtendedAddress(std::uint32_t address);
    bool at89Class() const { return deviceClass == 1 || deviceClass == 3; }

    SimOptions options;
    std::unique_ptr<Chip> chip;

    // Board state.
    FirmwareState firmware = FirmwareState::Running;
    bool silenced = false;
    std::string version;
    bool uploading = false;
    std::size_t uploadGroups = 0;
    int baud = kIdleBaud;
    std::optional<int> nextBaud; // after the LinkParameters Ack
    std::uint8_t deviceClass = 0;
    std::uint8_t waitCode = 0xFF;
    std::uint8_t sckCode = 0x00;
    bool polling = false;
    std::uint32_t address = 0;
    int extendedAddress = 0;
    LineLevel line = LineLevel::Released;
    std::vector<std::uint8_t> pending;
    std::uint64_t lastByteUs = 0;

    // Faults.
    FaultSchedule faults;
    bool stalled = false;
    std::uint64_t stallUntilUs = 0; // 0 with `stalled`: until cleared

    // Timing.
    int hostBaud = kIdleBaud;
    std::uint64_t boardTimeUs = 0;
    std::uint64_t chipReadyUs = 0;
    std::uint64_t rxFreeUs = 0;
    std::uint64_t txFreeUs = 0;
    std::uint64_t spiNs = 0; // sub-microsecond SPI time not yet counted
    TimingReport report;

    // Log.
    std::deque<LoggedByte> log;
    std::size_t logLimit = 1'000'000;
    std::function<void(const LoggedByte&)> logSink;

    bool chipChanged = false;
    std::uint32_t garbleState = 0x2545F491u; // the too-fast SCK's noise, the same every run
    TraceReplay replay{options.replay};      // used when options.replay holds a trace

    struct Outgoing {
        std::vector<std::uint8_t> bytes;
        int baud;
        std::uint64_t readyUs;
    };
    std::vector<Outgoing> outgoing;
};

} // namespace tovel::sim
