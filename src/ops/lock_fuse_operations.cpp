#include "ops/lock_fuse_operations.h"

#include "board/board_commands.h"
#include "devices/fuse_layout.h"
#include "devices/lock_fuse_codec.h"
#include "ops/chip_context.h"
#include "ops/lock_fuse_verify_report.h"
#include "ops/operation_frame.h"

namespace tovel {

namespace {

constexpr int kSpeed19200 = 0;
constexpr int kAck = 0x0D;
constexpr unsigned kLockWriteMs = 40; // AVR lock byte: before its reply is read
constexpr unsigned kLockStepMs = 250; // stepped procedure: after each step
constexpr unsigned kThreeByteLockMs = 150;

// The main window's current device.
int selectedDeviceNo(const ChipContext& context) { return projectDeviceIndex(context.project); }

// The session of one lock/fuse operation. Ends with recoverBoard on every path; `end` reports a
// board that did not take part.
class LockFuseSession {
public:
    explicit LockFuseSession(ChipContext& context) : context_(context) {}
    ~LockFuseSession() { end(false); }
    LockFuseSession(const LockFuseSession&) = delete;
    LockFuseSession& operator=(const LockFuseSession&) = delete;

    // openSession for the selected device; it reports its own failures.
    bool connect() {
        SessionParams params = sessionParamsOf(context_.project);
        params.deviceIndex = selectedDeviceNo(context_);
        open_ = context_.session.openSession(params, context_.settings.comPort, kSpeed19200);
        return open_;
    }
    void end(bool warn = true) {
        if (!open_) return;
        open_ = false;
        if (!context_.session.recoverBoard() && warn)
            context_.ui.showInfo(context_.messages.text(msg::WarningIncorrectDisconnection));
    }
    SerialChannel& channel() { return context_.session.channel(); }

private:
    ChipContext& context_;
    bool open_ = false;
};

void status(ChipContext& context, unsigned id) { context.ui.setStatus(context.messages.text(id)); }
void box(ChipContext& context, unsigned id) { context.ui.showInfo(context.messages.text(id)); }

enum class SignatureCheck { Matches, Declined, ReadFailed };

// Reads the signature on the open session; on another (or a locked) chip asks whether to go on.
SignatureCheck checkSignature(ChipContext& context, int deviceNo) {
    Signature signature{};
    const bool read = context.session.readSignatureBytes(signature);
    context.state.lastSignature = signature;
    if (!read) return SignatureCheck::ReadFailed;
    if (DeviceTable::findBySignature(signature[0], signature[1], signature[2]) == deviceNo)
        return SignatureCheck::Matches;
    Question question;
    question.caption = context.messages.text(msg::QuestionCaption);
    question.text = context.messages.text(msg::DeviceSignatureDoesNotMatchEraseQuestion);
    return context.ui.ask(question) == Answer::Yes ? SignatureCheck::Matches : SignatureCheck::Declined;
}

// The signature gate on the open session: Ok to go on; otherwise the session is ended without
// the disconnection warning and the reason given (`readFailedBox` when the read failed).
Outcome passSignatureGate(ChipContext& context, LockFuseSession& session, int deviceNo,
                          unsigned readFailedBox) {
    switch (checkSignature(context, deviceNo)) {
    case SignatureCheck::ReadFailed:
        session.end(false);
        box(context, readFailedBox);
        return Outcome::Connection;
    case SignatureCheck::Declined:
        session.end(false);
        status(context, msg::OperationCancelled);
        return Outcome::WrongChip;
    case SignatureCheck::Matches:
        break;
    }
    return Outcome::Ok;
}

// A chip without a lock-read instruction: an AVR one is still identified by its signature.
Outcome reportUnreadable(ChipContext& context, const DeviceRecord& device, int deviceNo) {
    if (device.spiVariant == SpiVariant::Avr) {
        status(context, msg::VerifyingSignature);
        BusyCursor busy(context.ui);
        LockFuseSession session(context);
        if (!session.connect()) return Outcome::Connection;
        if (const Outcome gate = passSignatureGate(context, session, deviceNo, msg::ConnectionError);
            gate != Outcome::Ok)
            return gate;
        session.end();
    }
    box(context, msg::DeviceCannotReadLockFuse);
    return Outcome::Ok;
}

// SpiInstrRead of one byte; nothing when the command could not be sent or no reply came.
std::optional<std::uint8_t> readByte(SerialChannel& channel, const SpiBytes3& instruction) {
    const int reply = board::spiInstrRead(channel, instruction[0], instruction[1], instruction[2]);
    if (reply < 0) return std::nullopt;
    return static_cast<std::uint8_t>(reply);
}

// Writes the fuse bytes in the order 1, 2, 3; stops at the first that failed (reported).
Outcome writeFuses(ChipContext& context, SerialChannel& channel, const FuseLayout& layout,
                   const LockFuseSettings& settings) {
    for (const FuseByteWrite& write : encodeFuses(layout, settings)) {
        const SpiBytes4& b = write.instruction;
        const int reply = board::spiInstr4(channel, b[0], b[1], b[2], b[3]);
        if (reply == board::kNotSent) {
            box(context, msg::ConnectionError);
            return Outcome::Connection;
        }
        if (reply != kAck) {
            box(context, msg::ErrorProgrammingLockFuseBits);
            return Outcome::Failed;
        }
        status(context, msg::LockFuseBitsProgrammed);
    }
    return Outcome::Ok;
}

Outcome writeAvrLock(ChipContext& context, SerialChannel& channel, const std::vector<SpiInstruction>& lock) {
    for (const SpiInstruction& instruction : lock) {
        const SpiBytes4& b = instruction.bytes;
        if (!board::sendSpiInstr4(channel, b[0], b[1], b[2], b[3])) {
            box(context, msg::ConnectionError);
            return Outcome::Connection;
        }
        context.clock.sleepMs(kLockWriteMs);
        if (board::receiveReplyByte(channel) != kAck) {
            box(context, msg::ErrorProgrammingLockFuseBits);
            return Outcome::Failed;
        }
        status(context, msg::LockFuseBitsProgrammed);
    }
    return Outcome::Ok;
}

// One instruction per level step. A command that cannot be sent ends the steps: the link is gone.
// Failed (reported by the caller) when a step was not acknowledged.
Outcome writeSteppedLock(ChipContext& context, SerialChannel& channel,
                         const std::vector<SpiInstruction>& steps) {
    bool allAcknowledged = true;
    for (const SpiInstruction& step : steps) {
        const SpiBytes4& b = step.bytes;
        if (!board::sendSpiInstr4(channel, b[0], b[1], b[2], b[3])) {
            box(context, msg::ConnectionError);
            return Outcome::Connection;
        }
        if (board::receiveReplyByte(channel) != kAck) allAcknowledged = false;
        context.clock.sleepMs(kLockStepMs);
    }
    return allAcknowledged ? Outcome::Ok : Outcome::Failed;
}

Outcome writeThreeByteLock(ChipContext& context, SerialChannel& channel,
                           const std::vector<SpiInstruction>& lock) {
    Outcome outcome = Outcome::Ok;
    for (const SpiInstruction& instruction : lock) {
        if (!board::sendSpiInstr3(channel, instruction.bytes.data(), instruction.length)) {
            box(context, msg::ConnectionError);
            context.clock.sleepMs(kThreeByteLockMs);
            if (outcome == Outcome::Ok) outcome = Outcome::Connection; // not written: never "programmed"
            continue;
        }
        if (board::receiveReplyByte(channel) == kAck)
            context.clock.sleepMs(kThreeByteLockMs);
        else if (outcome == Outcome::Ok)
            outcome = Outcome::Failed;
    }
    return outcome;
}

} // namespace

Outcome readLockFuse(ChipContext& context, LockFuseSettings& settings) {
    settings = LockFuseSettings{};
    const int deviceNo = selectedDeviceNo(context);
    const DeviceRecord& device = DeviceTable::device(deviceNo);
    const FuseLayout* layout = layoutOf(deviceNo);
    if (layout == nullptr || !layout->hasLockRead()) return reportUnreadable(context, device, deviceNo);

    BusyCursor busy(context.ui);
    LockFuseSession session(context);
    if (!session.connect()) return Outcome::Connection;
    SerialChannel& channel = session.channel();
    const LockFuseReadPlan plan = readInstructions(*layout);

    if (device.spiVariant == SpiVariant::Avr) {
        const Outcome gate =
            passSignatureGate(context, session, deviceNo, msg::ConnectionErrorWhileReadingSignature);
        if (gate != Outcome::Ok) return gate;
    }

    std::optional<std::uint8_t> lockByte = readByte(channel, *plan.lock);
    FuseByteValues fuseBytes{0xFF, 0xFF, 0xFF};
    // The AT89S51-style chips have lock bits only.
    if (lockByte && device.spiVariant == SpiVariant::Avr) {
        for (const FuseByteRead& fuse : plan.fuses) {
            const std::optional<std::uint8_t> value = readByte(channel, fuse.instruction);
            if (!value) {
                lockByte.reset();
                break;
            }
            fuseBytes[static_cast<std::size_t>(fuse.fuseByte - 1)] = *value;
        }
    }
    if (!lockByte) {
        // Nothing half-read is handed back.
        session.end(false);
        box(context, msg::ConnectionError);
        return Outcome::Connection;
    }

    const DecodedLockFuse decoded = decodeRead(*layout, *lockByte, fuseBytes);
    if (decoded.unrecognizedLockBits) box(context, msg::UnrecognizedLockBitsCombination);
    settings = decoded.settings;
    session.end();
    return Outcome::Ok;
}

LockFuseWrite programLockFuse(ChipContext& context, const LockFuseSettings& settings) {
    if (context.settings.comPort == 0) {
        status(context, msg::SelectComPortOrSearch);
        box(context, msg::NoBoardSpecified);
        return {Outcome::Connection, false};
    }
    const int deviceNo = selectedDeviceNo(context);
    const DeviceRecord& device = DeviceTable::device(deviceNo);
    const FuseLayout* layout = layoutOf(deviceNo);
    if (layout == nullptr) return {Outcome::Ok, false}; // nothing on this chip to write

    BusyCursor busy(context.ui);
    LockFuseSession session(context);
    if (!session.connect()) return {Outcome::Connection, false};
    SerialChannel& channel = session.channel();
    const std::vector<SpiInstruction> lock = encodeLock(*layout, device.spiVariant, settings);

    const LockProcedure procedure = lockProcedureFor(device.spiVariant);
    Outcome outcome = Outcome::Failed;
    if (procedure == LockProcedure::Avr) {
        // Fuses first: once the lock bits are set they may not be changed.
        outcome = writeFuses(context, channel, *layout, settings);
        if (outcome == Outcome::Ok) outcome = writeAvrLock(context, channel, lock);
        session.end();
    } else {
        outcome = procedure == LockProcedure::Stepped ? writeSteppedLock(context, channel, lock)
                                                      : writeThreeByteLock(context, channel, lock);
        session.end();
        if (outcome == Outcome::Ok)
            status(context, msg::LockFuseBitsProgrammed);
        else
            box(context, msg::ErrorProgrammingLockFuseBits);
    }
    if (outcome == Outcome::Ok) box(context, msg::LockFuseBitsProgrammed);
    return {outcome, true};
}

Outcome verifyLockFuse(ChipContext& context, const LockFuseSettings& expected) {
    LockFuseSettings read;
    if (const Outcome outcome = readLockFuse(context, read); outcome != Outcome::Ok) return outcome;
    const int deviceNo = selectedDeviceNo(context);
    const FuseLayout* layout = layoutOf(deviceNo);
    if (layout == nullptr) return Outcome::Failed; // no bits to compare
    const std::optional<std::string> differences = lockFuseDifferences(
        *layout, DeviceTable::device(deviceNo).spiVariant, expected, read, context.messages);
    const std::string caption = context.messages.text(msg::QuestionCaption);
    if (differences)
        context.ui.showBox(caption, *differences, BoxIcon::Error);
    else
        context.ui.showBox(caption, context.messages.text(msg::LockFuseBitsVerifyOK), BoxIcon::Information);
    // Bits that cannot be read were not compared, whatever the box says of them.
    if (read.readable == 0) return Outcome::Failed;
    return differences ? Outcome::VerifyMismatch : Outcome::Ok;
}

Outcome lockFuseCommand(ChipContext& context,
                        const std::function<void(int deviceNo, const LockFuseSettings& read)>& openDialog) {
    const int deviceNo = selectedDeviceNo(context);
    if (DeviceTable::device(deviceNo).fuseLayout < 0) return Outcome::Ok;
    if (context.settings.comPort == 0) {
        status(context, msg::SelectComPortOrSearch);
        box(context, msg::NoBoardSpecified);
        return Outcome::Connection;
    }
    LockFuseSettings read;
    if (const Outcome outcome = readLockFuse(context, read); outcome != Outcome::Ok) return outcome;
    if (openDialog) openDialog(deviceNo, read);
    return Outcome::Ok;
}

} // namespace tovel
