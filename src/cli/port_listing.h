// `ports`: the serial devices a board could be on, what each is, whether this user may open it,
// and which port number (COM1..COM8) of the settings file's port map leads to it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/reporter.h"
#include "i18n/messages.h"

namespace tovel {
class PortMap;
}

namespace tovel::cli {

struct SerialPortEntry {
    std::string path;        // /dev/ttyUSB0, or a /dev/serial/by-id link
    std::string linkTarget;  // for a link: the device it leads to
    std::string description; // "FTDI FT232R USB UART (A50285BI)" from sysfs; empty when unknown
    bool accessible = false; // this user may open it for reading and writing
    std::string group;       // the device's group (for the permission hint)
    int comPort = 0;         // 1..8 when the port map leads there; 0 otherwise
};

// Where the scan looks; tests give a folder tree of their own.
struct PortScanRoots {
    std::string dev = "/dev";
    std::string sys = "/sys";
};

// ttyS*, ttyUSB* and ttyACM* devices (on-board ttyS entries that have no UART behind them are
// left out), then the /dev/serial/by-id links, each group in natural order.
std::vector<SerialPortEntry> listSerialPorts(const PortMap& ports, const PortScanRoots& roots = {});

// The listing: one port a line, then what to do about ports this user may not open.
void reportSerialPorts(Reporter& reporter, const std::vector<SerialPortEntry>& entries, Language language);

// The name of the group a device file belongs to (its number when the group has no name).
std::string deviceGroup(const std::string& path);

} // namespace tovel::cli
