// The connection doctor: why does the board or the chip not answer? A ladder of checks (port,
// board, link speed, chip), stopping at the first rung that fails, and a summary with one piece
// of advice. The front ends show the checks; they decide nothing.
#pragma once

#include <functional>
#include <string>

#include "board/port_facts.h"
#include "board/serial_channel.h"
#include "board/session_params.h"
#include "core/clock.h"
#include "core/stop_request.h"
#include "doctor/doctor_check.h"
#include "i18n/messages.h"

namespace tovel::doctor {

struct DoctorSettings {
    int comPort = 0;       // 1..8, through the channel's port map
    std::string portPath;  // the device that port number leads to
    SessionParams project; // the chip and the SCK period to try first
    SystemPaths system;    // where /proc, /sys and /dev are read
    int roundTrips = 32;   // StatusProbe round trips at each fast speed
    // Cancels the run between rungs and within them (null: it runs to its end). The clock and the
    // channel should watch it too, so that a pause or a read in progress ends at once.
    StopRequest* stop = nullptr;
};

// Told each check as soon as it is known (the summary last).
using CheckSink = std::function<void(const DoctorCheck&)>;

// Runs the ladder on `channel` (closed before and after). A cancelled run leaves the board idle at
// 19200 baud, reports nothing of the rung it cut short, and ends with a summary that says so. `messages` is
// only the language of the session procedures' own texts, which the doctor keeps to itself.
DoctorReport runDoctor(SerialChannel& channel, Clock& clock, const Messages& messages,
                       const DoctorSettings& settings, const CheckSink& onCheck = {});

} // namespace tovel::doctor
