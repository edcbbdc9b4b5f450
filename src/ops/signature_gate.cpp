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

// The person declined to write to this chip (`why`: another or a locked one).
Outcome cancelProgramming(ChipContext& context, OperationFrame& frame, Outcome why) {
    frame.disconnect(OperationFrame::Warning::Quiet);
    context.ui.setStatus(context.messages.text(msg::ProgrammingCancelled));
    return why;
}

// The AVR erase instruction (only AVR parts reach the locked question); true when the board
// acknowledged it.
bool eraseLockedChip(ChipContext& context) {
    SerialChannel& channel = context.session.channel();
    return board::sendSpiInstr4(channel, 0xAC, 0x80, 0x04, 0x00) && board::receiveAck(channel);
}

} // namespace

Outcome compareSignature(ChipContext& context) {
    Signature signature{0xFF, 0xFF, 0xFF};
    const bool read = context.session.readSignatureBytes(signature);
    context.state.lastSignature = signature;
    if (!read) {
        context.ui.showInfo(context.messages.text(msg::ErrorReadingSignature));
        return context.state.keep(Outcome::Connection);
    }
    if (signature == kLockedSignature) return context.state.keep(Outcome::Locked);
    const int found = DeviceTable::findBySignature(signature[0], signature[1], signature[2]);
    return context.state.keep(found == projectDeviceIndex(context.project) ? Outcome::Ok
                                                                           : Outcome::WrongChip);
}

// AT89S parts: the AVR instruction is not theirs (a 4-byte part answers it with its own address
// bytes, 00 01 02, which reads as "locked"), so the part's own signature read is used where it has
// one, and neither a mismatch nor the locked pattern stops it, as the table's AT89S rows carry
// signatures that the 3-byte parts cannot even be asked for. Only an unreadable chip stops.
Outcome at89Gate(ChipContext& context, OperationFrame& frame) {
    const DeviceRecord& device = frame.device();
    if (!hasOwnSignatureRead(device)) return Outcome::Ok;
    Signature signature{};
    const bool read = readSignatureOf(context.session.channel(), device, signature);
    context.state.lastSignature = signature;
    if (read) return Outcome::Ok;
    context.ui.showInfo(context.messages.text(msg::ErrorReadingSignature));
    context.ui.setStatus(context.messages.text(msg::ConnectionErrorWhileVerifyingSignature));
    context.ui.showInfo(context.messages.text(msg::ConnectionErrorWhileVerifyingSignature));
    frame.disconnect(OperationFrame::Warning::Quiet);
    return Outcome::Connection;
}

Outcome runSignatureGate(ChipContext& context, OperationFrame& frame) {
    const DeviceRecord& device = frame.device();
    if (device.isDataFlash() || !context.project.checkSignature) return Outcome::Ok;
    if (device.spiVariant != SpiVariant::Avr) return at89Gate(context, frame);

    const Messages& messages = context.messages;
    switch (const Outcome compared = compareSignature(context)) {
    case Outcome::Ok:
        return Outcome::Ok;
    case Outcome::WrongChip:
        if (context.ui.ask(yesNoQuestion(messages, msg::DeviceSignatureDoesNotMatch, Answer::Yes)) ==
            Answer::Yes)
            return Outcome::Ok;
        return cancelProgramming(context, frame, compared);
    case Outcome::Locked:
        if (context.ui.ask(yesNoQuestion(messages, msg::DeviceLockedEraseNow, Answer::No)) != Answer::Yes)
            return cancelProgramming(context, frame, compared);
        if (eraseLockedChip(context)) return Outcome::Ok;
        frame.disconnect(OperationFrame::Warning::Quiet);
        context.ui.showInfo(messages.text(msg::ConnectionError));
        context.ui.setStatus(messages.text(msg::ConnectionError));
        return Outcome::Connection;
    default:
        context.ui.setStatus(messages.text(msg::ConnectionErrorWhileVerifyingSignature));
        context.ui.showInfo(messages.text(msg::ConnectionErrorWhileVerifyingSignature));
        frame.disconnect(OperationFrame::Warning::Quiet);
        return Outcome::Connection;
    }
}

} // namespace tovel
