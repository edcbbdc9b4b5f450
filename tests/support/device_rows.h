// Device-table rows by chip name, so a test reads as the chip it is about and survives no row
// number. A name the table does not have fails the test that asked.
#pragma once

#include <gtest/gtest.h>

#include "devices/device_table.h"

namespace tovel::test {

inline int rowNamed(const char* name) {
    const int row = DeviceTable::findByName(name);
    if (row < 0) ADD_FAILURE() << "no device-table row named " << name;
    return row;
}

inline const DeviceRecord& deviceNamed(const char* name) { return DeviceTable::device(rowNamed(name)); }

} // namespace tovel::test
