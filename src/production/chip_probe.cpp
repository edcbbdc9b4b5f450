#include "production/chip_probe.h"

#include <cstdio>

#include "board/session_guard.h"
#include "ops/operation_frame.h"
#include "project/project.h"
#include "workbench/workbench.h"

namespace tovel {

std::optional<Signature> probeChip(Workbench& board) {
    BoardSession& session = board.session();
    if (!session.openSession(sessionParamsOf(board.project()), board.comPort(), OperationFrame::kSpeed19200))
        return std::nullopt;
    ProgrammingSessionGuard guard(session);
    Signature signature{0xFF, 0xFF, 0xFF};
    const bool read = session.readSignatureBytes(signature);
    if (!read || signature == Signature{0xFF, 0xFF, 0xFF} || signature == Signature{0x00, 0x00, 0x00})
        return std::nullopt;
    return signature;
}

std::string signatureText(const Signature& signature) {
    char text[12];
    std::snprintf(text, sizeof text, "%02X %02X %02X", signature[0], signature[1], signature[2]);
    return text;
}

} // namespace tovel
