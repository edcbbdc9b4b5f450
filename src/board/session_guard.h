// Ends a programming session on every path out of a chip operation: the first error wins, and the
// board is still taken out of programming mode and back to 19200 baud.
//
//   if (!session.openSession(params, comPort, baudIndex)) return;   // it has already recovered
//   ProgrammingSessionGuard guard(session);
//   ... any early return ends the session ...
//   guard.finish();                                                  // or let it go out of scope
#pragma once

#include "board/board_session.h"

namespace tovel {

class ProgrammingSessionGuard {
public:
    explicit ProgrammingSessionGuard(BoardSession& session) : session_(&session) {}
    ~ProgrammingSessionGuard() { finish(); }
    ProgrammingSessionGuard(const ProgrammingSessionGuard&) = delete;
    ProgrammingSessionGuard& operator=(const ProgrammingSessionGuard&) = delete;

    // Ends the session now with recoverBoard and shows "Warning: incorrect disconnection." when the
    // board did not take part. Returns recoverBoard's result; later calls do nothing and return true.
    bool finish() {
        if (session_ == nullptr) return true;
        BoardSession& session = *session_;
        session_ = nullptr;
        const bool ok = session.recoverBoard();
        if (!ok) session.ui().showInfo(session.messages().text(msg::WarningIncorrectDisconnection));
        return ok;
    }
    // For a path that has ended the session itself.
    void release() { session_ = nullptr; }

private:
    BoardSession* session_;
};

} // namespace tovel
