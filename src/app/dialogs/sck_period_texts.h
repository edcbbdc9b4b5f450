// The texts of the SCK period list ("0.25 uS (4 MHz)" .. "150 uS (7 kHz)"), position = period index,
// for the main window's list and the Project Settings dialog's.
#pragma once

#include <QStringList>

namespace tovel {

QStringList sckPeriodTexts();

} // namespace tovel
