// The worker of the firmware update: streams the image to the board's loader in 4-byte groups,
// each acknowledged, then checks that the new firmware runs. Runs with the port already open at
// 19200 baud; it cannot be cancelled. Outcome Ok, Connection when the board did not answer in step
// (already reported), Failed for an image of the wrong size (nothing is sent).
#pragma once

#include <cstdint>
#include <vector>

#include "board/board_session.h"
#include "board/operation_runner.h"

namespace tovel {

enum class UploadSpeed { Normal, Reduced };

// Pauses of the upload in milliseconds. The reduced speed is for boards on slow or unreliable
// adapters.
struct UploadPacing {
    unsigned beforeStartLoader;
    unsigned beforeLoaderReply;
    unsigned beforeFirstGroup;
    unsigned afterEvery32ndGroup; // after sending group g with g mod 32 = 31, before its Ack
    unsigned afterOtherGroup;
};

inline constexpr UploadPacing kNormalUploadPacing{15, 15, 15, 15, 0};
inline constexpr UploadPacing kReducedUploadPacing{100, 100, 50, 30, 5};

const UploadPacing& uploadPacing(UploadSpeed speed);

class FirmwareUploadRunner final : public OperationRunner {
public:
    // `image` must hold protocol::FirmwareImageSize bytes and outlive the runner.
    FirmwareUploadRunner(BoardSession& session, const std::vector<std::uint8_t>& image, UploadSpeed speed);

protected:
    Outcome run() override;

private:
    Outcome connectionError();

    BoardSession& session_;
    const std::vector<std::uint8_t>& image_;
    const UploadPacing& pacing_;
};

} // namespace tovel
