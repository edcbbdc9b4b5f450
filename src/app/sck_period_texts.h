// The eight entries of the SCK period list ("0.25 uS (4 MHz)" ...), index 0..7.
#pragma once

#include <QStringList>

namespace tovel::app {

QStringList sckPeriodTexts();

} // namespace tovel::app
