// The doctor's settings from what the Workbench holds: the chosen port and the device it leads
// to, the project's chip and SCK period, and the stop request its session watches.
#pragma once

#include "doctor/connection_doctor.h"

namespace tovel {
class Workbench;
}

namespace tovel::doctor {

DoctorSettings doctorSettingsOf(Workbench& workbench);

} // namespace tovel::doctor
