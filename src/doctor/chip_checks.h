// The chip rung of the connection doctor: the signature (an AT45's status byte, an AT25's
// write-enable round trip) read three times at the project's SCK period, then at slower periods
// until three reads agree, and what the bytes say about power, wiring, lock and chip.
#pragma once

#include <vector>

#include "board/board_session.h"
#include "board/session_params.h"
#include "doctor/doctor_check.h"

namespace tovel::doctor {

struct ChipOutcome {
    bool identified = false; // the project's chip answered
    int sckPeriodIndex = -1; // the fastest period that gave three identical reads; -1 none
};

// A stop request the session watches ends the rung at the next read or period, with the session
// ended properly and no check added.
ChipOutcome checkChip(BoardSession& session, const SessionParams& project, int comPort,
                      std::vector<DoctorCheck>& checks);

} // namespace tovel::doctor
