// The texts of the SCK period list ("0.25 uS (4 MHz)" .. "150 uS (7 kHz)"), position = period index.
// Kept in a file of its own: the link parameters header and the project settings header both
// define kSckPeriodCount, so they cannot meet in one file.
#pragma once

#include <QStringList>

namespace tovel {

QStringList sckPeriodTexts();

} // namespace tovel
