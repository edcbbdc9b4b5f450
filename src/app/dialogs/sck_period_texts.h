// The texts of the SCK period list ("0.25 uS (4 MHz)" .. "150 uS (7 kHz)"), position = period index,
// for the main window's list and the Project Settings dialog's, in the program's language.
#pragma once

#include <QStringList>

#include "i18n/messages.h"

namespace tovel {

QStringList sckPeriodTexts(Language language = Language::English);

} // namespace tovel
