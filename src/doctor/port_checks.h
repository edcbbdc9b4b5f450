// The port rung of the connection doctor: the device file, who may open it, who holds it, the
// USB-serial adapter behind it, and an actual open at 19200 baud.
#pragma once

#include <string>
#include <vector>

#include "board/port_facts.h"
#include "board/serial_channel.h"
#include "doctor/doctor_check.h"

namespace tovel::doctor {

// The checks about the device file, read-only. True when nothing among them failed.
bool checkPortFile(const std::string& path, const SystemPaths& system, std::vector<DoctorCheck>& checks);

// The "open" check from a failed open of `path` (its cause), or an ok one.
DoctorCheck openCheck(const std::optional<PortOpenFailure>& failure, const SystemPaths& system);

} // namespace tovel::doctor
