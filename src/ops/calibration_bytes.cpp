#include "ops/calibration_bytes.h"

#include <algorithm>
#include <array>

#include "board/board_commands.h"
#include "ops/chip_context.h"
#include "ops/operation_frame.h"

namespace tovel {

namespace {

constexpr unsigned kBeforeReadMs = 40;
constexpr std::size_t kMaxCalibrationBytes = 4;

Outcome readFailed(ChipContext& context, OperationFrame& frame, bool sendFailed) {
    const std::string error = context.messages.text(msg::ErrorReadingCalibrationBytes);
    if (sendFailed) context.ui.setStatus(error);
    frame.disconnect(OperationFrame::Warning::Quiet);
    context.ui.setStatus(error);
    context.ui.setBusy(false);
    context.ui.showInfo(context.messages.text(msg::ConnectionError));
    return Outcome::Connection;
}

} // namespace

std::string calibrationStatusText(std::span<const std::uint8_t> bytes, const Messages& messages) {
    std::string text =
        messages.text(bytes.size() <= 1 ? msg::CalibrationByte1181 : msg::CalibrationBytes1182);
    for (const std::uint8_t byte : bytes) text += formatText(" %02X", byte);
    return text;
}

std::string calibrationBoxText(std::span<const std::uint8_t> bytes, const Messages& messages) {
    std::string text = messages.text(bytes.size() < 2 ? msg::CalibrationByte : msg::CalibrationBytes);
    for (std::size_t j = 0; j < bytes.size(); ++j)
        text += formatText("\n    %d MHz: 0x%02X", 1 << j, bytes[j]);
    return text;
}

Outcome readCalibrationBytes(ChipContext& context) {
    // No port check of its own: with no port chosen the session says it cannot open one.
    // "Reading calibration bytes..." comes once, after connecting.
    OperationFrame frame(context, OperationFrame::kNoStatusText, OperationFrame::SetsStatus::No);
    if (!frame.connect(OperationFrame::kSpeed19200)) return frame.notConnected();
    context.ui.setStatus(context.messages.text(msg::ReadingCalibrationBytes));
    context.clock.sleepMs(kBeforeReadMs);

    const std::size_t count = std::min<std::size_t>(frame.device().calibrationBytes, kMaxCalibrationBytes);
    std::array<std::uint8_t, kMaxCalibrationBytes> bytes{};
    SerialChannel& channel = context.session.channel();
    for (std::size_t j = 0; j < count; ++j) {
        const int reply = board::spiInstrRead(channel, 0x38, 0x00, static_cast<std::uint8_t>(j));
        if (reply < 0) return readFailed(context, frame, reply == board::kNotSent);
        bytes[j] = static_cast<std::uint8_t>(reply);
    }

    const std::span<const std::uint8_t> read(bytes.data(), count);
    context.ui.setStatus(calibrationStatusText(read, context.messages));
    context.ui.showInfo(calibrationBoxText(read, context.messages));
    frame.disconnect(OperationFrame::Warning::Quiet);
    return Outcome::Ok;
}

} // namespace tovel
