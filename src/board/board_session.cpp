#include "board/board_session.h"

#include <algorithm>
#include <cctype>

#include "board/board_commands.h"
#include "board/board_protocol.h"
#include "board/link_parameters.h"
#include "board/port_open_error.h"

namespace tovel {

namespace {

// Pauses of the procedures, in milliseconds.
constexpr unsigned kAfterOpenMs = 50;
constexpr unsigned kBeforeCommandMs = 50;
constexpr unsigned kBeforeReplyMs = 50;
constexpr unsigned kBeforeProbeResendMs = 150;
constexpr unsigned kSpeedSwitchMs = 45;
constexpr unsigned kDataFlashFrameMs = 15;
constexpr unsigned kDataFlashRetryMs = 40;
constexpr unsigned kRecoverStepMs = 150;
// Ending a session after an urgent stop: just long enough for each command to leave the line.
constexpr unsigned kBriskStepMs = 40;
constexpr int kLongResetStrobeFromMs = 100;

bool isRunningReply(int byte) { return byte == protocol::ProbeRunning || byte == protocol::ProbeRunningAlt; }

bool isProbeReply(int byte) { return isRunningReply(byte) || byte == protocol::ProbeLoaderOnly; }

bool containsBootloader(const std::string& text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower.find("bootloader") != std::string::npos;
}

int validDeviceIndex(int index) {
    return DeviceTable::isValidDeviceNo(index) ? index : DeviceTable::defaultDeviceNo();
}

} // namespace

BoardSession::BoardSession(SerialChannel& channel, UserInterface& ui, const Messages& messages, Clock& clock)
    : channel_(channel), ui_(ui), messages_(messages), clock_(clock),
      currentDeviceIndex_(DeviceTable::defaultDeviceNo()) {}

void BoardSession::box(unsigned id) { ui_.showInfo(messages_.text(id)); }

void BoardSession::portOpenFailedBox() {
    const std::optional<PortOpenFailure> failure = channel_.lastOpenFailure();
    if (!failure) {
        box(msg::CannotOpenComPort); // a channel that cannot tell why
        return;
    }
    ui_.showInfo(describePortOpenFailure(*failure, messages_));
}
void BoardSession::status(unsigned id) { ui_.setStatus(messages_.text(id)); }

bool BoardSession::failSession() {
    recoverBoard();
    if (stopRequested()) return false;
    box(msg::ConnectionError);
    status(msg::ConnectionError);
    return false;
}

bool BoardSession::reopenPort(int comPort, std::uint32_t baud) {
    channel_.closePort();
    pause(kSpeedSwitchMs);
    return channel_.openPort(comPort - 1, baud);
}

bool BoardSession::synchronise() {
    pause(kBeforeCommandMs);
    if (!board::sendStatusProbe(channel_)) return failSession();
    int reply = channel_.receiveByte();
    if (reply >= 0 && !isProbeReply(reply)) {
        // Out of step: ask once more, then drain whatever else the board had queued. The last byte
        // that arrived is the one judged.
        pause(kBeforeProbeResendMs);
        if (!board::sendStatusProbe(channel_)) return failSession();
        reply = channel_.receiveByte();
        if (reply >= 0) {
            for (int next = channel_.receiveByte(); next >= 0; next = channel_.receiveByte()) reply = next;
        }
    }
    if (!isRunningReply(reply) && stopRequested()) {
        channel_.closePort(); // the wait was cut: that says nothing about the board
        return false;
    }
    if (!isRunningReply(reply)) {
        box(msg::ProgrammerHasNoFirmware);
        status(msg::ConnectionError);
        // Nothing is sent to a board that did not answer, but the port is not held either.
        channel_.closePort();
        return false;
    }
    return true;
}

bool BoardSession::openLink(int port, const LinkOptions& options) {
    state_.loaderSeen = false;
    state_.versionMismatch = false;
    if (stopRequested()) return false;
    if (currentProject_) {
        project_ = currentProject_();
        currentDeviceIndex_ = validDeviceIndex(project_.deviceIndex);
    }
    if (!channel_.openPort(port - 1, SerialChannel::kBaud19200)) {
        if (options.quiet) return false;
        status(msg::ConnectionError);
        portOpenFailedBox();
        return false;
    }
    pause(kAfterOpenMs);
    if (options.openOnly) return true;
    if (!synchronise()) return false;

    pause(kBeforeCommandMs);
    if (board::sendShortVersion(channel_)) {
        pause(kBeforeReplyMs);
        if (const std::uint8_t* reply = channel_.receive(3)) {
            std::copy(reply, reply + 3, state_.boardVersion.begin());
            if (options.requireCompatibleVersion &&
                !checkVersion(&state_.boardVersion, options.versionQuiet)) {
                endSession();
                return false;
            }
            return true;
        }
        state_.boardVersion = {0, 0, 0};
    }
    if (options.quiet) {
        channel_.closePort();
        return false;
    }
    endSession();
    status(msg::ConnectionError);
    box(msg::ConnectionError);
    return false;
}

bool BoardSession::checkVersion(const VersionBytes* version, bool quiet) {
    state_.loaderSeen = false;
    state_.versionMismatch = false;
    if (version == nullptr) return true;
    const VersionBytes& v = *version;
    if (v == protocol::VersionSyncError) {
        if (!quiet) {
            box(msg::InternalSyncError);
            status(msg::ConnectionError);
        }
        return false;
    }
    if (v == protocol::VersionLoader || v == protocol::VersionLoader2) {
        state_.loaderSeen = true;
        if (!quiet) {
            box(msg::VersionConflictUpdateWithMenu);
            status(msg::VersionConflictNeedUpdateFirmware);
        }
        return false;
    }
    if (v == protocol::RequiredVersion) return true;
    if (!quiet) {
        const VersionBytes& r = protocol::RequiredVersion;
        ui_.showInfo(messages_.format(msg::VersionConflictDetails, v[0], v[1], v[2], r[0], r[1], r[2]));
        status(msg::VersionConflictNeedUpdateFirmware);
    }
    state_.versionMismatch = true;
    return false;
}

bool BoardSession::openSession(const SessionParams& project, int comPort, int baudIndex) {
    state_.loaderSeen = false;
    state_.versionMismatch = false;
    if (stopRequested()) return false; // nothing begun, nothing to end
    project_ = project;
    currentDeviceIndex_ = validDeviceIndex(project.deviceIndex);
    const DeviceRecord& device = currentDevice();

    if (!channel_.openPort(comPort - 1, SerialChannel::kBaud19200)) {
        status(msg::ConnectionError);
        portOpenFailedBox();
        return false;
    }
    if (!synchronise()) return false;

    pause(kBeforeCommandMs);
    if (!board::sendShortVersion(channel_)) return failSession();
    const std::uint8_t* reply = channel_.receive(3);
    if (reply == nullptr) return failSession();
    const VersionBytes version = {reply[0], reply[1], reply[2]};
    if (!checkVersion(&version, false)) {
        recoverBoard();
        return false;
    }

    if (!board::deviceClass(channel_, static_cast<std::uint8_t>(device.boardDeviceClass)))
        return failSession();
    if (!board::setAddress(channel_, 0)) return failSession();
    if (!board::sendLinkParameters(channel_, baudIndex, sckCode(project.sckPeriodIndex, device, true),
                                   project.polling))
        return failSession();
    pause(kBeforeReplyMs);
    if (!board::receiveAck(channel_)) {
        // A recovery beyond the documented procedure, kept on purpose: a lost Ack does not mean
        // the board kept 19200, it may already listen at the new speed. Recover it from there
        // first, or it would stay out of reach until a power cycle; then the usual Fail at 19200.
        if (baudIndex != 0) {
            if (reopenPort(comPort, baudForIndex(baudIndex))) {
                pause(kSpeedSwitchMs);
                recoverBoard();
            }
            reopenPort(comPort, SerialChannel::kBaud19200);
        }
        return failSession();
    }
    pause(kBeforeCommandMs);

    if (baudIndex != 0) {
        if (!reopenPort(comPort, baudForIndex(baudIndex))) {
            portOpenFailedBox();
            status(msg::ConnectionError);
            return false;
        }
        pause(kSpeedSwitchMs);
    }

    if (device.isDataFlash()) return enterDataFlash();
    if (device.spiVariant != SpiVariant::Avr) return enterAt89OrAt25(device);
    return enterAvr(device);
}

bool BoardSession::enterDataFlash() {
    int found = -1;
    for (int attempt = 0; attempt < kDataFlashAttempts; ++attempt) {
        if (attempt > 0) pause(kDataFlashRetryMs);
        if (!board::sendSpiSelect(channel_)) return failSession();
        pause(kDataFlashFrameMs);
        if (channel_.receiveByte() < 0) return failSession();
        if (!board::sendSpiSendByte(channel_, protocol::DataFlashStatusRead)) return failSession();
        if (channel_.receiveByte() < 0) return failSession();
        pause(kDataFlashFrameMs);
        if (!board::sendSpiReadByte(channel_)) return failSession();
        const int statusByte = channel_.receiveByte();
        if (statusByte < 0) return failSession();
        if (!board::sendSpiDeselect(channel_)) return failSession();
        if (channel_.receiveByte() < 0) return failSession();
        found = DeviceTable::findDataFlashByStatus(static_cast<std::uint8_t>(statusByte));
        if (found >= 0) break;
    }
    ui_.setStatus(std::string());
    state_.dataFlashDetected = found == currentDeviceIndex_;
    if (found == currentDeviceIndex_)
        status(msg::AT45MemoryDetected);
    else if (found < 0)
        status(msg::AT45MemoryNotDetected);
    else
        ui_.setStatus(messages_.format(msg::AT45MemoryNotDetectedSignature, DeviceTable::device(found).name));
    return true;
}

bool BoardSession::enterAt89OrAt25(const DeviceRecord& device) {
    if (!board::sendBeginAt89(channel_)) return failSession();
    if (channel_.receiveByte() < 0) return failSession();
    const auto& enable = protocol::ProgrammingEnable;
    bool sent = false;
    if (device.spiVariant == SpiVariant::At89S51)
        sent = board::sendSpiInstr4(channel_, enable[0], enable[1], enable[2], enable[3]);
    else
        sent = board::sendSpiInstr3(channel_, enable.data(), 3);
    // Some chips of these families do not answer the enable; its reply is not judged.
    if (sent) (void)channel_.receiveByte();
    status(msg::ConnectionAccepted);
    return true;
}

bool BoardSession::enterAvr(const DeviceRecord& device) {
    const int strobeMs = std::max(project_.resetStrobeMs, 0);
    if (!board::sendResetStrobe(channel_, strobeMs >= kLongResetStrobeFromMs)) return failSession();
    if (channel_.receiveByte() < 0) return failSession();
    ui_.setStatus(messages_.format(msg::ResetStrobeMs, strobeMs));
    pause(static_cast<unsigned>(strobeMs));
    if (stopRequested()) {
        recoverBoard(); // a strobe of minutes cut short: leave the chip alone
        return false;
    }
    bool sent = false;
    if (device.longProgEnable != 0 || project_.noSynchronization) {
        const auto& enable = protocol::ProgrammingEnable;
        sent = board::sendSpiInstr4(channel_, enable[0], enable[1], enable[2], enable[3]);
    } else {
        sent = board::sendEnterProgramming(channel_);
    }
    if (!sent || channel_.receiveByte() < 0) return failSession();
    status(msg::ConnectionAccepted);
    return true;
}

bool BoardSession::endSession() {
    const bool sent = board::sendEndSession(channel_);
    channel_.closePort();
    return sent;
}

bool BoardSession::recoverBoard() {
    if (stop_ != nullptr && stop_->urgent()) return recoverBriskly();
    // A first stop request must not cut the proper end of the session short.
    const StopRequest::Ending ending(stop_, StopRequest::Shield::FirstRequest);
    pause(kRecoverStepMs);
    // After a cut or failed read the rest of its reply may still be queued: it is not
    // LeaveProgramming's Ack.
    channel_.discardInput();
    const bool left = board::leaveProgramming(channel_);
    // A recovery beyond the documented procedure, kept on purpose: the 19200 link parameters go
    // out even when LeaveProgramming's Ack was lost, since the board may have left programming all
    // the same and must not stay at the session speed.
    pause(kRecoverStepMs);
    const std::uint8_t code = sckCode(project_.sckPeriodIndex, currentDevice(), false);
    const bool relinked =
        board::sendLinkParameters(channel_, 0, code, project_.polling) && board::receiveAck(channel_);
    // An urgent request that came meanwhile cut the waits: say it all once more, briskly.
    if (!(left && relinked) && stop_ != nullptr && stop_->urgent()) return recoverBriskly();
    channel_.closePort();
    return left && relinked;
}

bool BoardSession::recoverBriskly() {
    // The waits here are short and fixed; nothing may cut them.
    const StopRequest::Ending ending(stop_, StopRequest::Shield::Everything);
    channel_.discardInput();
    (void)board::sendLeaveProgramming(channel_);
    pause(kBriskStepMs);
    const std::uint8_t code = sckCode(project_.sckPeriodIndex, currentDevice(), false);
    (void)board::sendLinkParameters(channel_, 0, code, project_.polling);
    pause(kBriskStepMs); // the packet leaves before the port closes
    channel_.closePort();
    return false; // nothing confirmed
}

// How readBoardVersion is told and ended at each point it can stop: a status text and a box
// (either may be absent, in this order), then the link.
struct BoardSession::VersionReadEnding {
    enum class Link { LeftAlone, Closed, Ended };
    std::optional<msg::Id> status;
    std::optional<msg::Id> box;
    Link link;
};

// The one place that says how each stop of readBoardVersion is reported.
BoardSession::VersionReadEnding BoardSession::endingOf(VersionRead read) {
    using R = VersionRead;
    using Link = VersionReadEnding::Link;
    switch (read) {
    case R::Done:
        return {std::nullopt, std::nullopt, Link::Ended};
    case R::DoneWithoutSerialNumber:
        return {std::nullopt, msg::ErrorReadingSerialNumber, Link::Ended};
    case R::NoPortChosen:
        return {msg::SelectComPortOrSearch, msg::NoBoardSpecified, Link::LeftAlone};
    case R::LinkNotOpened: // openLink has told the person and closed the port
        return {std::nullopt, std::nullopt, Link::LeftAlone};
    case R::LongVersionNotSent:
        return {msg::ConnectionError, msg::ConnectionError, Link::Closed};
    case R::NoVersionLength:
        return {msg::ErrorReadingVersion, msg::ErrorReadingVersion, Link::Closed};
    case R::BadVersionText:
        return {msg::ErrorReadingVersion, msg::ErrorReadingVersion, Link::Ended};
    case R::LoaderText:
        return {std::nullopt, msg::ProgrammerHasNoFirmware, Link::Ended};
    case R::BadSerialNumber:
        return {std::nullopt, msg::ErrorReadingSerialNumber, Link::Ended};
    }
    return {std::nullopt, std::nullopt, Link::Closed}; // not reached: every stop is listed above
}

bool BoardSession::readBoardVersion(int comPort, std::string* textOut, std::optional<SerialNumber>* serialOut,
                                    bool loaderMode) {
    if (textOut != nullptr) *textOut = messages_.text(msg::UnknownFirmwareVersion);
    if (serialOut != nullptr) serialOut->reset();
    status(msg::ReadingFirmwareVersion);
    std::optional<BusyCursor> busy; // not while asking for a port
    std::optional<SerialNumber> serial;
    VersionRead read = VersionRead::NoPortChosen;
    if (comPort != 0) {
        busy.emplace(ui_);
        read = exchangeVersion(comPort, loaderMode, serial);
    }

    const VersionReadEnding ending = endingOf(read);
    if (ending.status) status(*ending.status);
    if (ending.box) box(*ending.box);
    bool endedCleanly = true;
    if (ending.link == VersionReadEnding::Link::Closed) channel_.closePort();
    if (ending.link == VersionReadEnding::Link::Ended) endedCleanly = endSession();

    const bool done = read == VersionRead::Done || read == VersionRead::DoneWithoutSerialNumber;
    if (done) {
        if (!endedCleanly) box(msg::WarningIncorrectDisconnection);
        std::string serialText;
        if (serial) {
            const SerialNumber& s = *serial;
            serialText = messages_.format(msg::SerialNumberSuffix, s[0], s[1], s[2], s[3], s[4]);
            if (serialOut != nullptr) *serialOut = s;
        }
        ui_.setStatus(state_.boardVersionText + serialText);
        if (textOut != nullptr) *textOut = state_.boardVersionText;
    }
    return done;
}

BoardSession::VersionRead BoardSession::exchangeVersion(int comPort, bool loaderMode,
                                                        std::optional<SerialNumber>& serial) {
    if (!openLink(comPort, {.openOnly = loaderMode, .versionQuiet = loaderMode}))
        return VersionRead::LinkNotOpened;
    if (!board::sendLongVersion(channel_)) return VersionRead::LongVersionNotSent;
    pause(kBeforeReplyMs);
    const int length = channel_.receiveByte();
    if (length < 0) return VersionRead::NoVersionLength;
    state_.boardVersionText = messages_.text(msg::UnknownVersion);
    pause(kBeforeReplyMs);
    const std::size_t n = static_cast<std::size_t>(length);
    const std::uint8_t* reply = channel_.receive(n + 1);
    if (reply == nullptr || reply[n] != protocol::Ack) return VersionRead::BadVersionText;
    const std::string text(reinterpret_cast<const char*>(reply), n);
    if (!loaderMode && containsBootloader(text)) return VersionRead::LoaderText;
    state_.boardVersionText = text;

    if (!board::sendSerialNumber(channel_)) return VersionRead::DoneWithoutSerialNumber;
    const std::uint8_t* serialReply = channel_.receive(6);
    if (serialReply == nullptr || serialReply[5] != protocol::Ack) return VersionRead::BadSerialNumber;
    serial.emplace();
    std::copy(serialReply, serialReply + 5, serial->begin());
    return VersionRead::Done;
}

bool BoardSession::readSignatureBytes(Signature& out) {
    out = {0xFF, 0xFF, 0xFF};
    for (std::uint8_t i = 0; i < 3; ++i) {
        const int reply = board::spiInstrRead(channel_, protocol::SignatureRead, 0x00, i);
        if (reply < 0) return false;
        out[i] = static_cast<std::uint8_t>(reply);
    }
    return true;
}

bool BoardSession::showBoardInfo(int comPort) {
    std::string text;
    std::optional<SerialNumber> serial;
    if (!readBoardVersion(comPort, &text, &serial, false) || !serial) return false;
    const SerialNumber& s = *serial;
    ui_.showPlain(messages_.format(msg::BoardInfo, text.c_str(), s[0], s[1], s[2], s[3], s[4]));
    return true;
}

} // namespace tovel
