// The captions of the lock levels. AVR chips (variant 0, also the AT45 rows) and the AT89S-style
// variants name the same four levels differently.
#pragma once

#include <cstdint>

#include "devices/device_table.h"

namespace tovel {

bool usesAvrLockLabels(SpiVariant spiVariant);

// The message id of the label of lockMode (taken as the nearest of 0..3 when outside).
unsigned lockLabel(SpiVariant spiVariant, std::int32_t lockMode);

// How many levels a person may choose: the fourth (LB3) exists only with the AT89S labels.
int selectableLockLevels(SpiVariant spiVariant);

} // namespace tovel
