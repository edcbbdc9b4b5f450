#include "board/firmware_upload_runner.h"

#include "board/board_commands.h"
#include "board/board_protocol.h"

namespace tovel {

namespace {

constexpr unsigned kAfterLastGroupMs = 50;
constexpr unsigned kNewFirmwareStartMs = 150;
constexpr unsigned kBeforeProbeReplyMs = 50;
constexpr std::size_t kGroupsPerBlock = 32;

} // namespace

const UploadPacing& uploadPacing(UploadSpeed speed) {
    return speed == UploadSpeed::Normal ? kNormalUploadPacing : kReducedUploadPacing;
}

FirmwareUploadRunner::FirmwareUploadRunner(BoardSession& session, const std::vector<std::uint8_t>& image,
                                           UploadSpeed speed)
    : OperationRunner(session.messages()), session_(session), image_(image), pacing_(uploadPacing(speed)) {}

Outcome FirmwareUploadRunner::connectionError() {
    session_.ui().showInfo(messages().text(msg::ConnectionError));
    return Outcome::Connection;
}

Outcome FirmwareUploadRunner::run() {
    SerialChannel& channel = session_.channel();
    Clock& clock = session_.clock();
    UserInterface& ui = session_.ui();
    start(messages().text(msg::Update), messages().text(msg::UpdatingFirmwareVersion),
          static_cast<long>(protocol::FirmwareGroupCount));
    hideCancel();
    // A board left with half an image has no firmware: no stop request cuts the upload's waits,
    // it takes effect when the upload has ended.
    const StopRequest::Ending unstoppable(session_.stopRequest(), StopRequest::Shield::Everything);
    if (image_.size() != protocol::FirmwareImageSize)
        return Outcome::Failed; // the handler checks; never send a torn image

    clock.sleepMs(pacing_.beforeStartLoader);
    if (!board::sendStartLoader(channel)) return connectionError();
    clock.sleepMs(pacing_.beforeLoaderReply);
    const int ready = channel.receiveByte();
    if (ready < 0) return connectionError();
    if (ready != protocol::LoaderReady) {
        ui.showInfo(messages().text(msg::ProgrammerNotReadyUpdateFirmware));
        return Outcome::Connection;
    }
    clock.sleepMs(pacing_.beforeFirstGroup);

    for (std::size_t group = 0; group < protocol::FirmwareGroupCount; ++group) {
        const std::uint8_t* bytes = image_.data() + group * protocol::FirmwareGroupSize;
        for (std::size_t i = 0; i < protocol::FirmwareGroupSize; ++i) {
            if (!channel.sendByte(bytes[i])) return connectionError();
        }
        const unsigned pause = group % kGroupsPerBlock == kGroupsPerBlock - 1 ? pacing_.afterEvery32ndGroup
                                                                              : pacing_.afterOtherGroup;
        if (pause > 0) clock.sleepMs(pause);
        if (channel.receiveByte() != protocol::Ack) return connectionError();
        setProgress(static_cast<long>(group));
    }

    clock.sleepMs(kAfterLastGroupMs);
    clock.sleepMs(kNewFirmwareStartMs);
    if (!board::sendStatusProbe(channel)) {
        session_.recoverBoard();
        ui.showInfo(messages().text(msg::ConnectionError));
        ui.setStatus(messages().text(msg::ConnectionError));
        return Outcome::Connection;
    }
    clock.sleepMs(kBeforeProbeReplyMs);
    const int reply = channel.receiveByte();
    if (reply == protocol::ProbeRunning || reply == protocol::ProbeRunningAlt) return Outcome::Ok;

    session_.recoverBoard();
    const unsigned id =
        reply == protocol::ProbeLoaderOnly ? msg::UpdateFirmwareVersionFailed : msg::ConnectionError;
    ui.showInfo(messages().text(id));
    ui.setStatus(messages().text(id));
    return Outcome::Connection;
}

} // namespace tovel
