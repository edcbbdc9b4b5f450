#include "board/firmware_update.h"

#include "board/firmware_image.h"

namespace tovel {

namespace {

// The current-version field of the settings dialog.
std::string currentVersionText(BoardSession& session, int comPort) {
    std::string text;
    if (session.readBoardVersion(comPort, &text, nullptr, true)) return text;
    if (session.state().loaderSeen) return session.messages().text(msg::NotProgrammed);
    if (session.state().versionMismatch) return session.messages().text(msg::UnknownFirmwareVersion);
    return std::string();
}

} // namespace

Outcome updateFirmware(BoardSession& session, int comPort, const std::string& imagePath,
                       const SelfProgramSettings& settingsDialog) {
    UserInterface& ui = session.ui();
    const Messages& messages = session.messages();

    const FirmwareImageLoad image = loadFirmwareImage(imagePath);
    if (!image.ok) {
        ui.showInfo(messages.format(msg::CannotReadFile, image.path.c_str()) + "\n" + image.reason);
        ui.setStatus(messages.format(msg::CannotReadFileStatus, image.path.c_str()));
        return Outcome::File;
    }

    const std::string current = currentVersionText(session, comPort);
    ui.showInfo(messages.text(msg::PowerCycleForBootloader));
    const std::optional<UploadSpeed> speed =
        settingsDialog ? settingsDialog(current, firmwareImageVersionText()) : std::nullopt;
    if (!speed) return Outcome::Cancelled;

    if (!session.openLink(comPort, {.openOnly = true, .requireCompatibleVersion = false})) {
        session.endSession();
        return Outcome::Connection;
    }
    FirmwareUploadRunner upload(session, image.bytes, *speed);
    const Outcome result = ui.runModal(upload);
    session.endSession();

    if (result != Outcome::Ok) {
        ui.setStatus(messages.text(msg::ErrorWhileVersionUpdating));
        return Outcome::Connection;
    }
    ui.setStatus(messages.text(msg::VersionSuccessfullyUpdated));
    if (!session.readBoardVersion(comPort, nullptr, nullptr, true)) {
        ui.setStatus(messages.text(msg::ErrorWhileVersionUpdating));
        return Outcome::Connection;
    }
    return Outcome::Ok;
}

} // namespace tovel
