#include "doctor/chip_checks.h"

#include <array>
#include <cstdio>
#include <optional>
#include <string>

#include "board/board_commands.h"
#include "board/board_protocol.h"
#include "board/link_parameters.h"
#include "ops/signature_naming.h"

namespace tovel::doctor {

namespace {

constexpr int kReads = 3;
constexpr std::uint8_t kAt25WriteEnable = 0x06;
constexpr std::uint8_t kAt25WriteDisable = 0x04;
constexpr std::uint8_t kAt25ReadStatus = 0x05;
constexpr std::uint8_t kAt25WriteEnabledBit = 0x02;

using Bytes = std::array<std::uint8_t, 3>;

std::string hexBytes(const Bytes& bytes, std::size_t count = 3) {
    std::string text;
    char part[4];
    for (std::size_t i = 0; i < count; ++i) {
        std::snprintf(part, sizeof part, i == 0 ? "%02X" : " %02X", bytes[i]);
        text += part;
    }
    return text;
}

std::optional<Bytes> readSignature(SerialChannel& channel, const DeviceRecord& device) {
    Bytes bytes{};
    for (int i = 0; i < 3; ++i) {
        const SpiBytes3 instruction = signatureReadInstruction(device, i);
        const int reply = board::spiInstrRead(channel, instruction[0], instruction[1], instruction[2]);
        if (reply < 0) return std::nullopt;
        bytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(reply);
    }
    return bytes;
}

std::optional<Bytes> readDataFlashStatus(SerialChannel& channel) {
    if (!board::spiSelect(channel) || !board::spiSendByte(channel, protocol::DataFlashStatusRead))
        return std::nullopt;
    const int status = board::spiReadByte(channel);
    if (status < 0 || !board::spiDeselect(channel)) return std::nullopt;
    return Bytes{static_cast<std::uint8_t>(status), 0, 0};
}

bool at25Instruction(SerialChannel& channel, std::uint8_t instruction) {
    return board::at25Select(channel) && board::spiSendByte(channel, instruction) &&
           board::at25Deselect(channel);
}

// Write enable, then the status register: a chip that answers shows its write-enable latch set.
std::optional<Bytes> readAt25Status(SerialChannel& channel) {
    if (!at25Instruction(channel, kAt25WriteEnable)) return std::nullopt;
    if (!board::at25Select(channel) || !board::spiSendByte(channel, kAt25ReadStatus)) return std::nullopt;
    const int status = board::spiReadByte(channel);
    if (status < 0 || !board::at25Deselect(channel)) return std::nullopt;
    if (!at25Instruction(channel, kAt25WriteDisable)) return std::nullopt;
    return Bytes{static_cast<std::uint8_t>(status), 0, 0};
}

std::optional<Bytes> readIdentity(SerialChannel& channel, const DeviceRecord& device) {
    if (device.isDataFlash()) return readDataFlashStatus(channel);
    if (device.isSerialEeprom()) return readAt25Status(channel);
    return readSignature(channel, device);
}

DoctorCheck chipCheck(CheckState state, DoctorText finding, std::vector<DoctorText> advice = {}) {
    return DoctorCheck{state, "chip", msg::DoctorCheckChip, std::move(finding), std::move(advice)};
}

// What the three reads of each kind of part stand for: AVR and AT89S parts give a signature,
// AT45 parts a status byte (density code) and AT25 parts their status after write enable, so a
// finding names what was actually read.
struct Wording {
    unsigned nothing;
    unsigned misoHigh;
    unsigned noAgreement;
};

Wording wordingFor(const DeviceRecord& device) {
    if (device.isDataFlash() || device.isSerialEeprom())
        return {msg::DoctorChipStatusNothing, msg::DoctorChipStatusMisoHigh,
                msg::DoctorChipStatusNoAgreement};
    return {msg::DoctorChipNothing, msg::DoctorChipMisoHigh, msg::DoctorChipNoAgreement};
}

DoctorCheck judgeSerialEeprom(const Bytes& bytes, const DeviceRecord& device, const std::string& periodText,
                              bool& identified) {
    const std::string text = hexBytes(bytes, 1);
    identified = (bytes[0] & kAt25WriteEnabledBit) != 0;
    if (identified)
        return chipCheck(CheckState::Ok, {msg::DoctorChipSerialEepromFound, {device.name, text, periodText}});
    return chipCheck(CheckState::Fail, {msg::DoctorChipWriteEnableNotSet, {text}},
                     {{msg::DoctorAdviceWiring, {}}});
}

DoctorCheck judgeDataFlash(const Bytes& bytes, const DeviceRecord& device, bool& identified) {
    const std::string text = hexBytes(bytes, 1);
    const int found = DeviceTable::findDataFlashByStatus(bytes[0]);
    identified = found >= 0 && &DeviceTable::device(found) == &device;
    if (identified) return chipCheck(CheckState::Ok, {msg::DoctorChipDataFlashFound, {device.name, text}});
    if (found >= 0) {
        const std::string other = DeviceTable::device(found).name;
        return chipCheck(CheckState::Fail, {msg::DoctorChipDataFlashOther, {other, text}},
                         {{msg::DoctorAdviceOtherChip, {other, other}}});
    }
    return chipCheck(CheckState::Fail, {msg::DoctorChipDataFlashUnknown, {text}},
                     {{msg::DoctorAdviceUnknownDataFlash, {}}});
}

bool stopRequested(const BoardSession& session) {
    return session.stopRequest() != nullptr && session.stopRequest()->requested();
}

// What three identical reads say.
DoctorCheck judge(const Bytes& bytes, const DeviceRecord& device, int period, bool& identified) {
    identified = false;
    const bool statusByte = device.isDataFlash() || device.isSerialEeprom();
    const bool nothing = statusByte ? bytes[0] == 0x00 : bytes == Bytes{0, 0, 0};
    const bool high = statusByte ? bytes[0] == 0xFF : bytes == Bytes{0xFF, 0xFF, 0xFF};
    const Wording wording = wordingFor(device);
    if (nothing)
        return chipCheck(CheckState::Fail, {wording.nothing, {}}, {{msg::DoctorAdviceChipNothing, {}}});
    if (high)
        return chipCheck(CheckState::Fail, {wording.misoHigh, {}}, {{msg::DoctorAdviceChipMisoHigh, {}}});
    if (device.isSerialEeprom()) return judgeSerialEeprom(bytes, device, sckPeriodText(period), identified);
    if (device.isDataFlash()) return judgeDataFlash(bytes, device, identified);

    const std::string text = hexBytes(bytes);
    if (bytes == device.signature || bytes == device.altSignature) {
        identified = true;
        return chipCheck(CheckState::Ok, {msg::DoctorChipFound, {device.name, text, sckPeriodText(period)}});
    }
    if (bytes == kLockedSignature)
        return chipCheck(CheckState::Fail, {msg::DoctorChipLocked, {}}, {{msg::DoctorAdviceErase, {}}});
    const int other = DeviceTable::findBySignature(bytes[0], bytes[1], bytes[2]);
    if (other >= 0) {
        const std::string name = DeviceTable::device(other).name;
        return chipCheck(CheckState::Fail, {msg::DoctorChipOther, {name, text}},
                         {{msg::DoctorAdviceOtherChip, {name, name}}});
    }
    return chipCheck(CheckState::Fail, {msg::DoctorChipUnknown, {text}},
                     {{msg::DoctorAdviceUnknownChip, {}}});
}

} // namespace

ChipOutcome checkChip(BoardSession& session, const SessionParams& project, int comPort,
                      std::vector<DoctorCheck>& checks) {
    ChipOutcome outcome;
    const DeviceRecord& device = DeviceTable::isValidDeviceNo(project.deviceIndex)
                                     ? DeviceTable::device(project.deviceIndex)
                                     : DeviceTable::device(DeviceTable::defaultDeviceNo());
    const int first = project.sckPeriodIndex >= 0 && project.sckPeriodIndex < kSckPeriodCount
                          ? project.sckPeriodIndex
                          : kSckPeriodCount - 1;
    // An AT45 session runs at the board's DataFlash clock whatever the period: one period to try.
    const int last = device.isDataFlash() ? first : kSckPeriodCount - 1;
    for (int period = first; period <= last; ++period) {
        if (stopRequested(session)) return outcome;
        SessionParams params = project;
        params.sckPeriodIndex = period;
        if (!session.openSession(params, comPort, 0)) {
            if (stopRequested(session)) return outcome;
            checks.push_back(chipCheck(CheckState::Fail, {msg::DoctorChipNoSession, {}},
                                       {{msg::DoctorAdvicePowerCycle, {}}}));
            return outcome;
        }
        std::optional<Bytes> reads[kReads];
        for (auto& read : reads)
            if (!stopRequested(session)) read = readIdentity(session.channel(), device);
        session.recoverBoard();
        if (stopRequested(session)) return outcome;
        bool agree = true;
        for (const auto& read : reads) agree = agree && read && *read == *reads[0];
        if (!agree) continue;

        outcome.sckPeriodIndex = period;
        DoctorCheck result = judge(*reads[0], device, period, outcome.identified);
        if (period != first) {
            // Only slower clocks read the same thing three times: the chip cannot follow a faster SCK.
            const std::string periodText = sckPeriodText(period);
            if (outcome.identified) {
                result = chipCheck(CheckState::Warn, {msg::DoctorChipSlowClock, {periodText}},
                                   {{msg::DoctorAdviceSckPeriod, {periodText}}});
            } else {
                result.advice.push_back({msg::DoctorAdviceSckPeriod, {periodText}});
            }
        }
        checks.push_back(result);
        return outcome;
    }
    checks.push_back(
        chipCheck(CheckState::Fail, {wordingFor(device).noAgreement, {}}, {{msg::DoctorAdviceWiring, {}}}));
    return outcome;
}

} // namespace tovel::doctor
