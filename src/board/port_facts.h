// What the system says about a serial port: what kind of file it is, who may open it, which
// processes hold it, and for a USB-serial adapter the facts sysfs gives (driver, USB ids, serial
// number, the stable /dev/serial/by-id name, the FTDI latency timer). Everything is read below a
// root folder, so tests can put a made-up /proc and /sys in place of this machine's.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <sys/types.h>

namespace tovel {

// Where /proc, /sys and /dev are; an empty root is this machine.
struct SystemPaths {
    std::string root;
    std::string proc() const { return root + "/proc"; }
    std::string sys() const { return root + "/sys"; }
    std::string dev() const { return root + "/dev"; }
};

enum class PortFileKind {
    Missing,
    CharacterDevice,
    RegularFile,
    Directory,
    Fifo,
    Socket,
    BlockDevice,
    Other
};

struct PortHolder {
    int pid = 0;
    std::string name; // the process's command name (comm)
};

struct UsbSerialFacts {
    std::string driver;                // e.g. ftdi_sio, cp210x, ch341, cdc_acm
    std::string vendorId;              // four hex digits, e.g. 0403
    std::string productId;             // e.g. 6001
    std::string manufacturer;          // may be empty
    std::string product;               // may be empty
    std::string serialNumber;          // may be empty
    std::string byIdPath;              // the /dev/serial/by-id link leading to the port; empty when none
    std::optional<int> latencyTimerMs; // FTDI adapters only
};

struct PortFacts {
    std::string path;
    PortFileKind kind = PortFileKind::Missing;
    std::string owner; // user name (or number)
    std::string group; // group name (or number)
    unsigned mode = 0; // permission bits
    bool groupMayReadWrite = false;
    bool userInGroup = false;
    bool userMayReadWrite = false;   // by this process's effective ids
    std::vector<PortHolder> holders; // other processes with the port open
    std::optional<UsbSerialFacts> usb;
};

// The facts about `path`. Never fails: what cannot be read stays empty.
PortFacts inspectPort(const std::string& path, const SystemPaths& system = {});

// The processes (other than this one) that have `path` open, from <proc>/*/fd.
std::vector<PortHolder> findPortHolders(const std::string& path, const SystemPaths& system = {});

// A character device that answers as a terminal (tcgetattr works). False when it cannot be opened.
bool isTerminalDevice(const std::string& path);

// "0620" style.
std::string modeText(unsigned mode);

// The first line of a small system file (sysfs, /proc) without its trailing blanks; empty when
// it cannot be read.
std::string firstLineOf(const std::filesystem::path& file);

} // namespace tovel
