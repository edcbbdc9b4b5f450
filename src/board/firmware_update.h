// The firmware update command of the Advanced menu: reads the current version, asks for a power
// cycle (which starts the board's loader), lets the person choose the upload speed, and uploads
// the image behind the progress display.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "board/board_session.h"
#include "board/firmware_upload_runner.h"

namespace tovel {

// The Self-Program Settings dialog: shown with the current version text and the new one; gives
// the chosen speed ("Update"), or nothing for Cancel.
using SelfProgramSettings = std::function<std::optional<UploadSpeed>(const std::string& currentVersion,
                                                                     const std::string& newVersion)>;

// Runs the update for the board on `comPort` with the image at `imagePath` (empty: the installed
// image). A missing or malformed image is reported ("Cannot read file '%s'" and the reason) before
// anything is sent. Ok when the upload succeeded and the new version was read back; File for the
// image, Cancelled when the dialog was cancelled, Connection for every failure of the board.
Outcome updateFirmware(BoardSession& session, int comPort, const std::string& imagePath,
                       const SelfProgramSettings& settingsDialog);

} // namespace tovel
