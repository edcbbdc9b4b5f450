// The project values a programming session needs. The project file code fills them in; the board
// link does not depend on it.
#pragma once

namespace tovel {

struct SessionParams {
    int deviceIndex = 9;            // DeviceNo, the row of the device table (9: ATmega8)
    int sckPeriodIndex = 0;         // 0..7, see link_parameters.h
    bool polling = false;           // "Enable data polling"
    int resetStrobeMs = 0;          // reset strobe length; 100 and above uses the long strobe
    bool noSynchronization = false; // "Disable Synchronization": plain programming enable
};

} // namespace tovel
