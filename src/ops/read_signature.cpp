#include "ops/read_signature.h"

#include "board/board_commands.h"
#include "ops/chip_context.h"
#include "ops/operation_frame.h"
#include "ops/signature_naming.h"

namespace tovel {

bool hasOwnSignatureRead(const DeviceRecord& device) {
    return device.spiVariant == SpiVariant::Avr || device.spiVariant == SpiVariant::At89S51;
}

bool readSignatureOf(SerialChannel& channel, const DeviceRecord& device, Signature& signature) {
    signature = {0xFF, 0xFF, 0xFF};
    for (int i = 0; i < 3; ++i) {
        const SpiBytes3 instruction = signatureReadInstruction(device, i);
        const int reply = board::spiInstrRead(channel, instruction[0], instruction[1], instruction[2]);
        if (reply < 0) return false;
        signature[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(reply);
    }
    return true;
}

Outcome readSignature(ChipContext& context) {
    const Messages& messages = context.messages;
    OperationFrame frame(context, msg::ReadingSignature, OperationFrame::SetsStatus::No);
    if (!frame.begin(OperationFrame::kSpeed19200)) return frame.notConnected();

    Signature signature{};
    const bool read = readSignatureOf(context.session.channel(), frame.device(), signature);
    context.state.lastSignature = signature;
    if (!read) {
        // Leave programming mode before saying so: the chip must not stay held in reset.
        frame.disconnect(OperationFrame::Warning::Quiet);
        context.ui.setStatus(messages.text(msg::ErrorReadingSignatureStatus));
        context.ui.showInfo(messages.text(msg::ErrorReadingSignature));
        return Outcome::Connection;
    }
    frame.disconnect();

    const SignatureIdentity identity = identifySignature(signature);
    if (identity.kind == SignatureIdentity::Kind::Locked) {
        context.ui.setStatus(messages.text(msg::DeviceLockedStatus));
        return Outcome::Locked;
    }
    const std::string name = signatureName(identity, messages);
    context.ui.setStatus(
        messages.format(msg::SignatureNamed, signature[0], signature[1], signature[2], name.c_str()));
    if (identity.kind == SignatureIdentity::Kind::Device && identity.deviceNo != frame.deviceIndex())
        context.selectDevice(identity.deviceNo);
    return Outcome::Ok;
}

Outcome readSignatureButton(ChipContext& context) {
    const DeviceRecord& device = DeviceTable::device(projectDeviceIndex(context.project));
    if (device.isDataFlash()) {
        OperationFrame frame(context, msg::ReadingSignature, OperationFrame::SetsStatus::No);
        if (!frame.begin(OperationFrame::kSpeed19200)) return frame.notConnected();
        frame.disconnect();
        return frame.dataFlashMissing() ? Outcome::WrongChip : Outcome::Ok;
    }
    if (device.spiVariant != SpiVariant::Avr && device.spiVariant != SpiVariant::At89S51) return Outcome::Ok;
    return readSignature(context);
}

} // namespace tovel
