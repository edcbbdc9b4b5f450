#include "ops/chip_erase.h"

#include <array>
#include <cstring>

#include "board/board_commands.h"
#include "ops/chip_context.h"
#include "ops/dataflash_erase_worker.h"
#include "ops/operation_frame.h"
#include "ops/signature_naming.h"

namespace tovel {

namespace {

constexpr unsigned kTinyEraseGapMs = 7; // ATtiny12/26: after the first erase
constexpr unsigned kBeforeEraseReplyMs = 10;
constexpr unsigned kAfterEraseMs = 15;
constexpr unsigned kBeforeSignatureCheckMs = 85;
constexpr int kAck = 0x0D;

// ATtiny12 and ATtiny26 need an erase, a 0xFF written to the low byte of Flash word 0, and a
// second erase.
bool needsDoubleErase(const DeviceRecord& device) {
    return std::strcmp(device.name, "ATtiny12") == 0 || std::strcmp(device.name, "ATtiny26") == 0;
}

bool sendAvrErase(SerialChannel& channel) { return board::sendSpiInstr4(channel, 0xAC, 0x80, 0x04, 0x00); }

// Sends the erase instruction(s) of the device; the reply to the last one is the caller's.
bool sendErase(SerialChannel& channel, Clock& clock, const DeviceRecord& device) {
    if (device.spiVariant == SpiVariant::At89S8252 || device.spiVariant == SpiVariant::At89S53) {
        const std::array<std::uint8_t, 4> erase{0xAC, 0x04, 0x00, 0x00};
        return board::sendSpiInstr3(channel, erase.data(), erase.size());
    }
    if (needsDoubleErase(device)) {
        if (!sendAvrErase(channel) || board::receiveReplyByte(channel) != kAck) return false;
        clock.sleepMs(kTinyEraseGapMs);
        if (board::spiInstr4(channel, 0x40, 0x00, 0x00, 0xFF) != kAck) return false;
    }
    return sendAvrErase(channel);
}

Outcome connectionError(ChipContext& context, OperationFrame& frame) {
    frame.disconnect(OperationFrame::Warning::Quiet);
    context.ui.showInfo(context.messages.text(msg::ConnectionError));
    context.ui.setStatus(context.messages.text(msg::ConnectionError));
    return Outcome::Connection;
}

Outcome eraseDataFlash(ChipContext& context, OperationFrame& frame) {
    DataFlashEraseWorker worker(context.messages, context.session.channel(), context.clock,
                                DataFlashGeometry::of(frame.device()));
    const Outcome result = context.ui.runModal(worker);
    Outcome outcome = Outcome::Ok;
    if (result == Outcome::Ok) {
        context.ui.setStatus(context.messages.text(msg::DeviceErased));
    } else if (worker.cancelRequested()) {
        context.ui.setStatus(context.messages.text(msg::EraseOperationTerminated));
        outcome = Outcome::Cancelled;
    } else {
        context.ui.showInfo(context.messages.text(msg::ConnectionError));
        context.ui.setStatus(context.messages.text(msg::ConnectionError));
        outcome = Outcome::Connection;
    }
    frame.disconnect(OperationFrame::Warning::Quiet);
    return frame.judged(outcome);
}

// After the erase: a new session reads the signature to see whether the chip is still locked.
Outcome checkSignatureAfterErase(ChipContext& context, OperationFrame& frame) {
    const Messages& messages = context.messages;
    context.ui.setStatus(messages.text(msg::CheckingSignature));
    context.clock.sleepMs(kBeforeSignatureCheckMs);
    if (!frame.connect(OperationFrame::kSpeed19200)) return frame.notConnected();

    Signature signature{};
    const bool read = context.session.readSignatureBytes(signature);
    context.state.lastSignature = signature;
    if (!read) {
        // The erase itself went through; only its confirmation is missing.
        context.ui.showInfo(messages.text(msg::ErrorReadingSignature));
        context.ui.setStatus(messages.text(msg::DeviceErased));
        frame.disconnect(OperationFrame::Warning::Quiet);
        return Outcome::Ok;
    }
    frame.disconnect();

    const SignatureIdentity identity = identifySignature(signature);
    if (identity.kind == SignatureIdentity::Kind::Locked) {
        context.ui.setStatus(messages.text(msg::ChipNotErasedDeviceLocked));
        context.ui.showInfo(messages.text(msg::DeviceStillLocked));
        return Outcome::Locked;
    }
    const std::string name = signatureName(identity, messages);
    context.ui.setStatus(
        messages.format(msg::ChipErasedSignature, signature[0], signature[1], signature[2], name.c_str()));
    if (identity.kind == SignatureIdentity::Kind::Device && identity.deviceNo != frame.deviceIndex())
        context.selectDevice(identity.deviceNo);
    context.ui.setStatus(messages.text(msg::DeviceErased));
    return Outcome::Ok;
}

Outcome eraseChip(ChipContext& context, OperationFrame& frame) {
    if (!frame.begin(OperationFrame::kSpeed19200)) return frame.notConnected();
    const DeviceRecord& device = frame.device();
    if (device.isDataFlash()) return eraseDataFlash(context, frame);

    SerialChannel& channel = context.session.channel();
    if (!sendErase(channel, context.clock, device)) return connectionError(context, frame);
    context.clock.sleepMs(kBeforeEraseReplyMs);
    if (board::receiveReplyByte(channel) != kAck) return connectionError(context, frame);
    context.clock.sleepMs(kAfterEraseMs);
    frame.disconnect(OperationFrame::Warning::Quiet);

    if (device.spiVariant != SpiVariant::Avr) {
        // AT89S and AT25 parts have no readable signature to confirm the erase with.
        context.ui.setStatus(context.messages.text(msg::DeviceErased));
        return Outcome::Ok;
    }
    return checkSignatureAfterErase(context, frame);
}

} // namespace

Outcome chipErase(ChipContext& context) {
    OperationFrame frame(context, msg::ErasingDevice);
    return context.state.keep(eraseChip(context, frame));
}

} // namespace tovel
