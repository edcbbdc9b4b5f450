// The board and link-speed rungs of the connection doctor. They talk to the board directly,
// below the session procedures, so that each answer (silence, loader, out of step, version) is
// told apart rather than folded into one failure box.
#pragma once

#include <vector>

#include "board/serial_channel.h"
#include "core/clock.h"
#include "core/stop_request.h"
#include "doctor/doctor_check.h"

namespace tovel::doctor {

// StatusProbe, versions and serial number on a channel open at 19200 baud on port `comPort`
// (1-based). True when the board runs the firmware this program needs.
bool checkBoard(SerialChannel& channel, Clock& clock, std::vector<DoctorCheck>& checks);

// Round trips at 115200 and 921600 baud; leaves the board and the channel at 19200, even when
// `stop` (may be null) ends the round trips early. Returns the speed index (0..2) of the fastest
// speed that ran without an error.
int checkLinkSpeed(SerialChannel& channel, Clock& clock, int comPort, int roundTrips, StopRequest* stop,
                   std::vector<DoctorCheck>& checks);

} // namespace tovel::doctor
