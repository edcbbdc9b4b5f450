#include "sim/board_model.h"

#include <algorithm>

#include "sim/board_commands.h"
#include "sim/board_model_impl.h"
#include "sim/chip_factory.h"
#include "sim/uart_line.h"

namespace tovel::sim {

int baudForIndex(std::uint8_t index) {
    switch (index) {
    case 0:
        return 19200;
    case 1:
        return 115200;
    default:
        return 921600;
    }
}

// The host encodes d milliseconds as (255 - 7d) mod 256.
std::uint64_t waitCodeUs(std::uint8_t code) { return static_cast<std::uint64_t>(255 - code) * 1000 / 7; }

std::uint64_t sckPeriodNs(std::uint8_t code) {
    switch (code) {
    case 0x80:
        return 250;
    case 0x00:
        return 500;
    case 0x81:
        return 1000;
    case 0x01:
        return 2000;
    case 0x82:
        return 4000;
    case 0x02:
        return 8000;
    case 0x03:
        return 16000;
    case 0xFF:
        return 150000;
    default:
        break;
    }
    // Bit 0x04 is a device flag; the code without it gives the period (0x04 alone: 2 MHz).
    if ((code & 0x04) != 0) return sckPeriodNs(static_cast<std::uint8_t>(code & ~0x04));
    return 500;
}

BoardModel::Impl::Impl(const SimOptions& opts) : options(opts) {
    chip = makeChip({options.device, options.signature, options.externalClock});
    if (!chip) chip = std::make_unique<EmptySocket>();
    if (options.locked) chip->lockFully();
    chip->setStayLocked(options.stayLocked);
    if (options.calibration) {
        ChipMemories m = chip->memories();
        m.calibration = *options.calibration;
        chip->setMemories(m);
    }
    chip->takeChanged();
    chip->setLine(LineLevel::Released);
    firmware = options.firmware;
    version = options.firmwareVersion;
    for (const Fault& fault : options.faults)
        if (auto now = faults.add(fault)) applyStateFault(*now);
}

void BoardModel::Impl::logByte(Direction direction, std::uint8_t byte, std::uint64_t atUs) {
    LoggedByte entry{direction, byte, hostBaud, baud, atUs};
    if (logSink) logSink(entry);
    if (logLimit == 0) return;
    log.push_back(entry);
    if (log.size() > logLimit) log.pop_front();
}

void BoardModel::Impl::waitUs(std::uint64_t us) {
    if (options.timing.enabled) boardTimeUs += us;
}

void BoardModel::Impl::receive(std::uint8_t byte, std::uint64_t atUs) {
    if (!pending.empty() && lastByteUs != 0 && atUs > lastByteUs + kInterByteTimeoutUs) pending.clear();
    lastByteUs = atUs;
    boardTimeUs = std::max(boardTimeUs, atUs);
    if (firmware == FirmwareState::None || silenced) return;

    pending.push_back(byte);
    if (uploading) {
        if (pending.size() == 4) imageGroup();
        return;
    }
    const std::size_t length = command::commandLength(pending);
    if (length == 0 || pending.size() < length) return;
    std::vector<std::uint8_t> complete;
    complete.swap(pending);
    dispatch(std::move(complete));
}

void BoardModel::Impl::emit(std::vector<std::uint8_t> bytes) {
    if (bytes.empty()) return;
    if (stalled) {
        if (stallUntilUs == 0 || boardTimeUs < stallUntilUs) return;
        stalled = false;
    }
    std::uint64_t ready = boardTimeUs;
    if (options.timing.enabled) {
        ready += options.timing.replyLatencyUs;
        report.latencyUs += options.timing.replyLatencyUs;
    }
    const std::uint64_t wire = wireTimeUs(bytes.size(), baud);
    report.wireUs += wire;
    std::uint64_t doneUs = ready;
    if (options.timing.enabled && options.timing.wireTime) {
        const std::uint64_t start = std::max(ready, txFreeUs);
        doneUs = start + wire;
        txFreeUs = doneUs;
    }
    const std::uint64_t perByte = bytes.empty() ? 0 : (doneUs - std::min(doneUs, ready)) / bytes.size();
    for (std::size_t i = 0; i < bytes.size(); ++i)
        logByte(Direction::BoardToHost, bytes[i], ready + perByte * (i + 1));
    outgoing.push_back({std::move(bytes), baud, doneUs});
}

BoardModel::BoardModel(const SimOptions& options) : impl_(std::make_unique<Impl>(options)) {}
BoardModel::~BoardModel() = default;

std::vector<Transmission> BoardModel::feed(std::span<const std::uint8_t> bytes, int hostBaud,
                                           std::uint64_t nowUs) {
    Impl& s = *impl_;
    s.hostBaud = hostBaud;
    s.outgoing.clear();
    if (bytes.empty()) return {};
    const bool wireTiming = s.options.timing.enabled && s.options.timing.wireTime;
    const std::uint64_t start = wireTiming ? std::max(nowUs, s.rxFreeUs) : nowUs;
    auto arrival = [&](std::size_t i) { return wireTiming ? start + wireTimeUs(i + 1, hostBaud) : nowUs; };
    for (std::size_t i = 0; i < bytes.size(); ++i) s.logByte(Direction::HostToBoard, bytes[i], arrival(i));
    s.report.wireUs += wireTimeUs(bytes.size(), hostBaud);
    if (wireTiming) s.rxFreeUs = arrival(bytes.size() - 1);

    for (std::size_t i = 0; i < bytes.size();) {
        if (!s.options.replay.empty()) {
            // A recorded board: it follows the host's speed and answers what it answered then.
            s.baud = hostBaud;
            s.emit(s.replay.hostByte(bytes[i]));
            ++i;
            continue;
        }
        if (hostBaud == s.baud) {
            s.receive(bytes[i], arrival(i));
            ++i;
            continue;
        }
        // The board's UART samples the rest of the burst at its own speed.
        const std::vector<std::uint8_t> decoded = decodeAtSpeed(bytes.subspan(i), hostBaud, s.baud);
        const std::uint64_t endUs = arrival(bytes.size() - 1);
        for (std::uint8_t byte : decoded) s.receive(byte, endUs);
        break;
    }

    std::vector<Transmission> result;
    for (Impl::Outgoing& out : s.outgoing) {
        Transmission t;
        t.atUs = out.readyUs;
        t.bytes = decodeAtSpeed(out.bytes, out.baud, hostBaud);
        if (!t.bytes.empty()) result.push_back(std::move(t));
    }
    s.outgoing.clear();
    return result;
}

std::vector<std::uint8_t> BoardModel::exchange(const std::vector<std::uint8_t>& bytes, int hostBaud) {
    std::vector<std::uint8_t> replies;
    for (const Transmission& t : feed(bytes, hostBaud, impl_->boardTimeUs))
        replies.insert(replies.end(), t.bytes.begin(), t.bytes.end());
    return replies;
}

int BoardModel::baud() const { return impl_->baud; }
bool BoardModel::inProgrammingMode() const { return impl_->line != LineLevel::Released; }
FirmwareState BoardModel::firmwareState() const { return impl_->firmware; }
ChipMemories BoardModel::memories() const { return impl_->chip->memories(); }

void BoardModel::setMemories(const ChipMemories& memories) {
    impl_->chip->setMemories(memories);
    impl_->chip->takeChanged();
    impl_->chipChanged = true;
}

bool BoardModel::takeChipChanged() {
    const bool changed = impl_->chip->takeChanged() || impl_->chipChanged;
    impl_->chipChanged = false;
    return changed;
}

void BoardModel::injectFault(const Fault& fault) {
    if (auto now = impl_->faults.add(fault)) impl_->applyStateFault(*now);
}

void BoardModel::clearFaults() {
    impl_->faults.clear();
    impl_->stalled = false;
    impl_->silenced = false;
}

std::vector<LoggedByte> BoardModel::log() const { return {impl_->log.begin(), impl_->log.end()}; }
void BoardModel::clearLog() { impl_->log.clear(); }

void BoardModel::setLogLimit(std::size_t entries) {
    impl_->logLimit = entries;
    while (impl_->log.size() > entries) impl_->log.pop_front();
}

void BoardModel::setLogSink(std::function<void(const LoggedByte&)> sink) { impl_->logSink = std::move(sink); }

TimingReport BoardModel::timing() const { return impl_->report; }
void BoardModel::resetTiming() {
    impl_->report = {};
    impl_->spiNs = 0;
}

} // namespace tovel::sim
