// The board's command set: what the firmware and its loader do with each command.
#include <algorithm>

#include "sim/board_commands.h"
#include "sim/board_model_impl.h"
#include "sim/chip_factory.h"

namespace tovel::sim {

namespace {

std::vector<std::uint8_t> textReply(const std::string& text) {
    const std::size_t n = std::min<std::size_t>(text.size(), 255);
    std::vector<std::uint8_t> reply(n + 2, command::kAck);
    reply[0] = static_cast<std::uint8_t>(n);
    for (std::size_t i = 0; i < n; ++i) reply[i + 1] = static_cast<std::uint8_t>(text[i]);
    return reply;
}

std::vector<std::uint8_t> threeCharacters(const std::string& text) {
    std::vector<std::uint8_t> reply(
        text.begin(), text.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(text.size(), 3)));
    reply.resize(3, ' ');
    return reply;
}

std::vector<std::uint8_t> serialReply(const std::array<std::uint8_t, 5>& serial) {
    std::vector<std::uint8_t> reply(serial.begin(), serial.end());
    reply.push_back(command::kAck);
    return reply;
}

} // namespace

bool BoardModel::Impl::loaderAnswers(std::uint8_t c) const {
    using namespace command;
    return c == StatusProbe || c == ShortVersion || c == LongVersion || c == SerialNumber || c == StartLoader;
}

void BoardModel::Impl::dispatch(std::vector<std::uint8_t> cmd) {
    const std::uint8_t c = cmd[0];
    const bool running = firmware == FirmwareState::Running;
    if (running ? !command::isAnswered(c) : !loaderAnswers(c)) {
        if (running && c == command::EndSession) endSession();
        return; // unknown bytes are ignored without a reply
    }
    const ReplyFaults fired =
        faults.onReply(c, c == command::WriteFlashBytes || c == command::WriteEepromBytes);
    for (const Fault& fault : fired.stateFaults)
        if (applyStateFault(fault)) return;
    if (firmware == FirmwareState::None || silenced) return;

    std::vector<std::uint8_t> reply;
    if (firmware == FirmwareState::Running)
        reply = execute(cmd, fired.pollingFailure);
    else if (loaderAnswers(c))
        reply = executeLoader(cmd);
    applyReplyFaults(reply, fired);
    emit(std::move(reply));
    if (nextBaud) { // LinkParameters: the Ack still goes out at the old speed
        baud = *nextBaud;
        nextBaud.reset();
    }
}

void BoardModel::Impl::imageGroup() {
    pending.clear();
    const ReplyFaults fired = faults.onReply(kImageGroupReply, false);
    for (const Fault& fault : fired.stateFaults)
        if (applyStateFault(fault)) return;
    if (firmware == FirmwareState::None || silenced || !uploading) return;
    ++uploadGroups;
    std::vector<std::uint8_t> reply{command::kAck};
    applyReplyFaults(reply, fired);
    emit(std::move(reply));
    if (uploadGroups == kImageGroups) {
        // The loader has the whole image: the new firmware starts.
        uploading = false;
        firmware = FirmwareState::Running;
        version = options.uploadedVersion;
    }
}

void BoardModel::Impl::applyReplyFaults(std::vector<std::uint8_t>& reply, const ReplyFaults& fired) {
    if (fired.replace) reply = *fired.replace;
    if (fired.corrupt)
        for (std::uint8_t& byte : reply) byte = static_cast<std::uint8_t>(byte ^ *fired.corrupt);
    if (fired.strayBefore) reply.insert(reply.begin(), *fired.strayBefore);
    if (fired.drop) reply.clear();
    // A delayed reply holds the board up: what comes after it comes later too.
    boardTimeUs += static_cast<std::uint64_t>(fired.delayMs) * 1000;
}

bool BoardModel::Impl::applyStateFault(const Fault& fault) {
    switch (fault.kind) {
    case FaultKind::Stall:
        stalled = true;
        stallUntilUs =
            fault.delayMs == 0 ? 0 : boardTimeUs + static_cast<std::uint64_t>(fault.delayMs) * 1000;
        return false;
    case FaultKind::Silence:
        silenced = true;
        return true;
    case FaultKind::LoaderOnly:
        firmware = FirmwareState::LoaderOnly;
        uploading = false;
        return false;
    case FaultKind::OtherVersion:
        version = std::string(fault.bytes.begin(), fault.bytes.end());
        return false;
    case FaultKind::BoardReset:
        powerCycle();
        return true;
    case FaultKind::LockChip:
        chip->lockFully();
        return false;
    case FaultKind::StayLocked:
        chip->setStayLocked(true);
        return false;
    case FaultKind::SwapChip:
        replaceChip(fault.device, fault.signature);
        return false;
    default:
        return false;
    }
}

void BoardModel::Impl::replaceChip(const std::string& device,
                                   const std::optional<std::array<std::uint8_t, 3>>& signature) {
    const std::string name = device.empty() ? options.device : device;
    chip = makeChip({name, signature, options.externalClock});
    if (!chip) chip = std::make_unique<EmptySocket>();
    chip->setLine(line);
    chip->takeChanged();
    chipChanged = true;
}

void BoardModel::Impl::powerCycle() {
    if (uploading) firmware = FirmwareState::LoaderOnly; // the old firmware is gone, the new one incomplete
    uploading = false;
    uploadGroups = 0;
    baud = kIdleBaud;
    nextBaud.reset();
    deviceClass = 0;
    waitCode = 0xFF;
    sckCode = 0x00;
    polling = false;
    address = 0;
    extendedAddress = 0;
    pending.clear();
    setLine(LineLevel::Released);
}

void BoardModel::Impl::endSession() {
    setLine(LineLevel::Released);
    baud = kIdleBaud;
    address = 0;
}

std::vector<std::uint8_t> BoardModel::Impl::executeLoader(const std::vector<std::uint8_t>& cmd) {
    using namespace command;
    switch (cmd[0]) {
    case StatusProbe:
        return {'-'};
    case ShortVersion:
        return threeCharacters(options.loaderVersion);
    case LongVersion:
        return textReply(options.loaderText);
    case SerialNumber:
        return serialReply(options.serialNumber);
    case StartLoader:
        uploading = true;
        uploadGroups = 0;
        return {'+'};
    default:
        return {};
    }
}

std::uint8_t BoardModel::Impl::enterProgramming() {
    // Programming Enable until the chip echoes 0x53 in the third byte; out of step, a positive
    // reset pulse and a new attempt, as the AVR data sheets prescribe.
    for (int attempt = 0; attempt < 32; ++attempt) {
        spi(0xAC);
        spi(0x53);
        const std::uint8_t echo = spi(0x00);
        spi(0x00);
        if (echo == 0x53) {
            extendedAddress = 0;
            return command::kAck;
        }
        setLine(LineLevel::High);
        setLine(LineLevel::Low);
    }
    return 0x15;
}

std::vector<std::uint8_t> BoardModel::Impl::execute(const std::vector<std::uint8_t>& cmd,
                                                    bool pollingFailure) {
    using namespace command;
    std::vector<std::uint8_t> ack{kAck}; // not const: each return moves it
    switch (cmd[0]) {
    case StatusProbe:
        return {static_cast<std::uint8_t>(line == LineLevel::Released ? '+' : '*')};
    case ShortVersion:
        return threeCharacters(version);
    case LongVersion:
        return textReply(options.versionText);
    case SerialNumber:
        return serialReply(options.serialNumber);
    case DeviceClass:
        deviceClass = cmd[1];
        return ack;
    case SetAddress:
        address = (static_cast<std::uint32_t>(cmd[1]) << 8) | cmd[2];
        return ack;
    case LinkParameters:
        nextBaud = baudForIndex(cmd[1]);
        sckCode = cmd[2];
        polling = cmd[3] != 0;
        return ack;
    case ResetStrobeShort:
    case ResetStrobeLong:
        setLine(LineLevel::High);
        setLine(LineLevel::Low);
        return ack;
    case EnterProgramming:
        return {enterProgramming()};
    case BeginAt89:
        setLine(LineLevel::High);
        extendedAddress = 0;
        return ack;
    case LeaveProgramming:
        setLine(LineLevel::Released);
        return ack;
    case StartLoader:
        // The firmware hands over to its loader; until an image is complete only the loader runs.
        setLine(LineLevel::Released);
        firmware = FirmwareState::LoaderOnly;
        uploading = true;
        uploadGroups = 0;
        return {'+'};
    case SpiInstr3:
        for (std::size_t i = 1; i <= 3; ++i) spi(cmd[i]);
        return ack;
    case SpiInstr4:
        for (std::size_t i = 1; i <= 4; ++i) spi(cmd[i]);
        if (cmd[1] == 0x4D) extendedAddress = cmd[3]; // the host loaded the extended address itself
        return ack;
    case SpiInstrRead:
        for (std::size_t i = 1; i <= 3; ++i) spi(cmd[i]);
        return {spi(0x00)};
    case SpiSelect:
    case At25Select:
        setLine(LineLevel::Low);
        return ack;
    case SpiDeselect:
    case At25Deselect:
        setLine(LineLevel::High);
        return ack;
    case SpiSendByte:
        spi(cmd[1]);
        return ack;
    case SpiReadByte:
        return {spi(0x00)};
    case SpiWriteBlock:
        for (std::size_t i = 3; i < cmd.size(); ++i) spi(cmd[i]);
        return ack;
    case SpiReadBlock: {
        const std::size_t count = (static_cast<std::size_t>(cmd[1]) << 8) | cmd[2];
        std::vector<std::uint8_t> reply;
        reply.reserve(count + 1);
        for (std::size_t i = 0; i < count; ++i) reply.push_back(spi(0x00));
        reply.push_back(kAck);
        return reply;
    }
    case SetWaitCode:
        waitCode = cmd[1];
        return ack;
    case WriteFlashBytes:
    case WriteEepromBytes:
        return {writeBytes(cmd[0] == WriteFlashBytes, std::span(cmd).subspan(2), pollingFailure)};
    case ReadFlashBytes:
    case ReadEepromBytes:
        return readBytes(cmd[0] == ReadFlashBytes, cmd[1]);
    default:
        return {};
    }
}

} // namespace tovel::sim
