#include "doctor/workbench_doctor.h"

#include "board/board_session.h"
#include "board/port_map.h"
#include "ops/operation_frame.h"
#include "project/project.h"
#include "workbench/workbench.h"

namespace tovel::doctor {

DoctorSettings doctorSettingsOf(Workbench& workbench) {
    DoctorSettings settings;
    settings.comPort = workbench.comPort();
    if (settings.comPort > 0) settings.portPath = workbench.portMap().pathFor(settings.comPort);
    settings.project = sessionParamsOf(workbench.project().settings());
    settings.stop = workbench.session().stopRequest();
    return settings;
}

} // namespace tovel::doctor
