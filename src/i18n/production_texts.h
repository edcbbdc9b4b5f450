// The texts of the desktop program's production window, in English and Russian.
#pragma once

#include "i18n/messages.h"

namespace tovel {

enum class ProductionText {
    WindowTitle,
    Ports,
    SimulatedBoards,
    Password,
    Start,
    Stop,
    Close,
    Passed,
    Failed,
    Total,
    Pass,
    Fail,
    Idle,
    WaitingForChip,
    Programming,
    RemoveChip,
    Stopped,
    SerialNumber,
    NoBoards,
    EnterPassword,
    WrongPassword,
    StoreFailed,
    LineStopped,
};

const char* productionText(ProductionText id, Language language);

} // namespace tovel
