#include "ops/signature_gate.h"

#include <array>

#include "board/board_commands.h"
#include "board/board_protocol.h"
#include "ops/chip_context.h"
#include "ops/operation_frame.h"

namespace tovel {

namespace {

constexpr Signature kLockedSignature{0x00, 0x01, 0x02};

Question yesNoQuestion(const Messages& messages, unsigned textId, Answer defaultAnswer) {
    Question question;
    question.caption = messages.text(msg::QuestionCaption);
    question.text = messages.text(textId);
    question.buttons = Buttons::YesNo;
    question.defaultAnswer = defaultAnswer;
    question.icon = BoxIcon::Question;
    return question;
}

GateOutcome cancelProgramming(ChipContext& context, OperationFrame& frame) {
    context.state.operationStatus = -1;
    frame.disconnect(OperationFrame::Warning::Quiet);
    context.ui.setStatus(context.messages.text(msg::ProgrammingCancelled));
    return GateOutcome::Stop;
}

// The erase instruction of the device's command set; true when the board acknowledged it.
bool eraseLockedChip(ChipContext& context, const DeviceRecord& device) {
    SerialChannel& channel = context.session.channel();
    bool sent = false;
    if (device.spiVariant == SpiVariant::Avr) {
        sent = board::sendSpiInstr4(channel, 0xAC, 0x80, 0x04, 0x00);
    } else {
        constexpr std::array<std::uint8_t, 4> erase{0xAC, 0x04, 0x00, 0x00};
        sent = board::sendSpiInstr3(channel, erase.data(), erase.size());
    }
    return sent && board::receiveAck(channel);
}

} // namespace

void compareSignature(ChipContext& context) {
    context.state.operationStatus = -1;
    Signature signature{0xFF, 0xFF, 0xFF};
    const bool read = context.session.readSignatureBytes(signature);
    context.state.lastSignature = signature;
    if (!read) {
        context.ui.showInfo(context.messages.text(msg::ErrorReadingSignature));
        return;
    }
    if (signature == kLockedSignature) {
        context.state.operationStatus = 2;
        return;
    }
    const int found = DeviceTable::findBySignature(signature[0], signature[1], signature[2]);
    context.state.operationStatus = found == projectDeviceIndex(context.project) ? 0 : 1;
}

GateOutcome runSignatureGate(ChipContext& context, OperationFrame& frame) {
    const DeviceRecord& device = frame.device();
    if (device.isDataFlash() || !context.project.checkSignature) return GateOutcome::GoOn;

    compareSignature(context);
    const Messages& messages = context.messages;
    switch (context.state.operationStatus) {
    case 0:
        return GateOutcome::GoOn;
    case 1:
        // The AT89S parts answer the AVR signature instruction differently: no question for them.
        if (device.spiVariant != SpiVariant::Avr) return GateOutcome::GoOn;
        if (context.ui.ask(yesNoQuestion(messages, msg::DeviceSignatureDoesNotMatch, Answer::Yes)) ==
            Answer::Yes)
            return GateOutcome::GoOn;
        return cancelProgramming(context, frame);
    case 2:
        if (context.ui.ask(yesNoQuestion(messages, msg::DeviceLockedEraseNow, Answer::No)) != Answer::Yes)
            return cancelProgramming(context, frame);
        if (eraseLockedChip(context, device)) return GateOutcome::GoOn;
        frame.disconnect(OperationFrame::Warning::Quiet);
        context.ui.showInfo(messages.text(msg::ConnectionError));
        context.ui.setStatus(messages.text(msg::ConnectionError));
        return GateOutcome::Stop;
    default:
        context.ui.setStatus(messages.text(msg::ConnectionErrorWhileVerifyingSignature));
        context.ui.showInfo(messages.text(msg::ConnectionErrorWhileVerifyingSignature));
        frame.disconnect(OperationFrame::Warning::Quiet);
        return GateOutcome::Stop;
    }
}

} // namespace tovel
