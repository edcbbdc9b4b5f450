#include "doctor/board_checks.h"

#include <array>
#include <cstdio>
#include <string>

#include "board/board_commands.h"
#include "board/board_protocol.h"
#include "board/link_parameters.h"

namespace tovel::doctor {

namespace {

// The pauses of the session procedures, in milliseconds.
constexpr unsigned kBeforeCommandMs = 50;
constexpr unsigned kBeforeReplyMs = 50;
constexpr unsigned kBeforeProbeResendMs = 150;
constexpr unsigned kSpeedSwitchMs = 45;

bool isRunning(int reply) { return reply == protocol::ProbeRunning || reply == protocol::ProbeRunningAlt; }

std::string versionText(const std::uint8_t* v) {
    std::string text;
    for (int i = 0; i < 3; ++i) {
        const char c = static_cast<char>(v[i]);
        text += (c >= 0x20 && c < 0x7F) ? c : '?';
    }
    return text;
}

DoctorCheck boardCheck(CheckState state, DoctorText finding, std::vector<DoctorText> advice = {}) {
    return DoctorCheck{state, "board", msg::DoctorCheckBoard, std::move(finding), std::move(advice)};
}

DoctorCheck firmwareCheck(CheckState state, DoctorText finding, std::vector<DoctorText> advice = {}) {
    return DoctorCheck{state, "firmware", msg::DoctorCheckFirmware, std::move(finding), std::move(advice)};
}

// The long version text and serial number; empty when they did not come.
void readIdentity(SerialChannel& channel, Clock& clock, std::string& text, std::string& serial) {
    if (!board::sendLongVersion(channel)) return;
    clock.sleepMs(kBeforeReplyMs);
    const int length = channel.receiveByte();
    if (length < 0) return;
    const std::uint8_t* reply = channel.receive(static_cast<std::size_t>(length) + 1);
    if (reply == nullptr || reply[length] != protocol::Ack) return;
    text.assign(reinterpret_cast<const char*>(reply), static_cast<std::size_t>(length));
    if (!board::sendSerialNumber(channel)) return;
    const std::uint8_t* number = channel.receive(6);
    if (number == nullptr || number[5] != protocol::Ack) return;
    char digits[16];
    std::snprintf(digits, sizeof digits, "%02X%02X%02X%02X%02X", number[0], number[1], number[2], number[3],
                  number[4]);
    serial = digits;
}

// The board at `baud`: LinkParameters at the current speed, then the port reopened at the new one.
bool switchSpeed(SerialChannel& channel, Clock& clock, int comPort, int baudIndex) {
    const bool sent = board::sendLinkParameters(channel, baudIndex, 0xFF, false);
    clock.sleepMs(kBeforeReplyMs);
    const bool acked = sent && board::receiveAck(channel);
    channel.closePort();
    clock.sleepMs(kSpeedSwitchMs);
    const bool reopened = channel.openPort(comPort - 1, baudForIndex(baudIndex));
    clock.sleepMs(kSpeedSwitchMs);
    return acked && reopened;
}

bool requested(const StopRequest* stop) { return stop != nullptr && stop->requested(); }

int roundTripsAt(SerialChannel& channel, int roundTrips, const StopRequest* stop) {
    int good = 0;
    for (int i = 0; i < roundTrips; ++i) {
        if (requested(stop)) break;
        if (!board::sendStatusProbe(channel) || !isRunning(channel.receiveByte())) break;
        ++good;
    }
    return good;
}

} // namespace

bool checkBoard(SerialChannel& channel, Clock& clock, std::vector<DoctorCheck>& checks) {
    clock.sleepMs(kBeforeCommandMs);
    int reply = board::sendStatusProbe(channel) ? channel.receiveByte() : -1;
    bool outOfStep = false;
    if (reply >= 0 && !isRunning(reply) && reply != protocol::ProbeLoaderOnly) {
        // Out of step: ask once more and take the last byte of whatever was queued.
        outOfStep = true;
        clock.sleepMs(kBeforeProbeResendMs);
        reply = board::sendStatusProbe(channel) ? channel.receiveByte() : -1;
        for (int next = reply >= 0 ? channel.receiveByte() : -1; next >= 0; next = channel.receiveByte())
            reply = next;
    }
    if (reply < 0) {
        checks.push_back(
            boardCheck(CheckState::Fail, {outOfStep ? msg::DoctorBoardOutOfStep : msg::DoctorBoardSilent, {}},
                       {{outOfStep ? msg::DoctorAdvicePowerCycle : msg::DoctorAdviceBoardSilent, {}}}));
        return false;
    }
    if (reply == protocol::ProbeLoaderOnly) {
        checks.push_back(boardCheck(CheckState::Fail, {msg::DoctorBoardLoaderOnly, {}},
                                    {{msg::DoctorAdviceUpdateFirmware, {}}}));
        return false;
    }
    if (!isRunning(reply)) {
        checks.push_back(boardCheck(CheckState::Fail, {msg::DoctorBoardOutOfStep, {}},
                                    {{msg::DoctorAdvicePowerCycle, {}}}));
        return false;
    }
    checks.push_back(outOfStep ? boardCheck(CheckState::Warn, {msg::DoctorBoardOutOfStep, {}},
                                            {{msg::DoctorAdvicePowerCycle, {}}})
                               : boardCheck(CheckState::Ok, {msg::DoctorBoardRunning, {}}));

    clock.sleepMs(kBeforeCommandMs);
    const std::uint8_t* version = board::sendShortVersion(channel) ? channel.receive(3) : nullptr;
    if (version == nullptr) {
        checks.push_back(firmwareCheck(CheckState::Fail, {msg::DoctorFirmwareNoVersion, {}},
                                       {{msg::DoctorAdvicePowerCycle, {}}}));
        return false;
    }
    const std::array<std::uint8_t, 3> bytes = {version[0], version[1], version[2]};
    const std::string found = versionText(version);
    if (bytes == protocol::VersionLoader || bytes == protocol::VersionLoader2) {
        checks.push_back(firmwareCheck(CheckState::Fail, {msg::DoctorBoardLoaderOnly, {}},
                                       {{msg::DoctorAdviceUpdateFirmware, {}}}));
        return false;
    }
    if (bytes != protocol::RequiredVersion) {
        checks.push_back(
            firmwareCheck(CheckState::Fail,
                          {msg::DoctorFirmwareOther, {found, versionText(protocol::RequiredVersion.data())}},
                          {{msg::DoctorAdviceUpdateFirmware, {}}}));
        return false;
    }
    std::string text;
    std::string serial;
    clock.sleepMs(kBeforeCommandMs);
    readIdentity(channel, clock, text, serial);
    checks.push_back(
        firmwareCheck(CheckState::Ok, {msg::DoctorFirmwareOk,
                                       {found, text.empty() ? "-" : text, serial.empty() ? "-" : serial}}));
    return true;
}

int checkLinkSpeed(SerialChannel& channel, Clock& clock, int comPort, int roundTrips, StopRequest* stop,
                   std::vector<DoctorCheck>& checks) {
    int best = 0;
    for (int baudIndex : {1, 2}) {
        if (requested(stop)) break;
        const bool switched = switchSpeed(channel, clock, comPort, baudIndex);
        const int good = switched ? roundTripsAt(channel, roundTrips, stop) : 0;
        {
            // Back to 19200 whatever happened, a stop request included: a board left at a high
            // speed is out of reach.
            const StopRequest::Ending ending(stop, StopRequest::Shield::FirstRequest);
            switchSpeed(channel, clock, comPort, 0);
        }
        if (!switched || good < roundTrips) break;
        best = baudIndex;
    }
    const std::string baud = std::to_string(baudForIndex(best));
    if (best == 0) {
        checks.push_back(DoctorCheck{CheckState::Warn,
                                     "link-speed",
                                     msg::DoctorCheckLinkSpeed,
                                     {msg::DoctorLinkOnly19200, {}},
                                     {{msg::DoctorAdviceSlowLink, {}}}});
    } else {
        checks.push_back(DoctorCheck{CheckState::Ok,
                                     "link-speed",
                                     msg::DoctorCheckLinkSpeed,
                                     {msg::DoctorLinkBest, {baud, std::to_string(roundTrips)}},
                                     {{msg::DoctorAdviceUseSpeed, {baud, std::to_string(best)}}}});
    }
    return best;
}

} // namespace tovel::doctor
