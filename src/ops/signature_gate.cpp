#include "ops/signature_gate.h"

#include "board/board_commands.h"
#include "board/board_protocol.h"
#include "ops/chip_context.h"
#include "ops/operation_frame.h"
#include "ops/read_signature.h"

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

// The AVR erase instruction (only AVR parts reach the locked question); true when the board
// acknowledged it.
bool eraseLockedChip(ChipContext& context) {
    SerialChannel& channel = context.session.channel();
    return board::sendSpiInstr4(channel, 0xAC, 0x80, 0x04, 0x00) && board::receiveAck(channel);
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

// AT89S parts: the AVR instruction is not theirs (a 4-byte part answers it with its own address
// bytes, 00 01 02, which reads as "locked"), so the part's own signature read is used where it has
// one, and neither a mismatch nor the locked pattern stops it, as the table's AT89S rows carry
// signatures that the 3-byte parts cannot even be asked for. Only an unreadable chip stops.
GateOutcome at89Gate(ChipContext& context, OperationFrame& frame) {
    const DeviceRecord& device = frame.device();
    if (!hasOwnSignatureRead(device)) return GateOutcome::GoOn;
    Signature signature{};
    const bool read = readSignatureOf(context.session.channel(), device, signature);
    context.state.lastSignature = signature;
    if (read) return GateOutcome::GoOn;
    context.ui.showInfo(context.messages.text(msg::ErrorReadingSignature));
    context.ui.setStatus(context.messages.text(msg::ConnectionErrorWhileVerifyingSignature));
    context.ui.showInfo(context.messages.text(msg::ConnectionErrorWhileVerifyingSignature));
    frame.disconnect(OperationFrame::Warning::Quiet);
    return GateOutcome::Stop;
}

GateOutcome runSignatureGate(ChipContext& context, OperationFrame& frame) {
    const DeviceRecord& device = frame.device();
    if (device.isDataFlash() || !context.project.checkSignature) return GateOutcome::GoOn;
    if (device.spiVariant != SpiAvr) return at89Gate(context, frame);

    compareSignature(context);
    const Messages& messages = context.messages;
    switch (context.state.operationStatus) {
    case 0:
        return GateOutcome::GoOn;
    case 1:
        if (context.ui.ask(yesNoQuestion(messages, msg::DeviceSignatureDoesNotMatch, Answer::Yes)) ==
            Answer::Yes)
            return GateOutcome::GoOn;
        return cancelProgramming(context, frame);
    case 2:
        if (context.ui.ask(yesNoQuestion(messages, msg::DeviceLockedEraseNow, Answer::No)) != Answer::Yes)
            return cancelProgramming(context, frame);
        if (eraseLockedChip(context)) return GateOutcome::GoOn;
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
