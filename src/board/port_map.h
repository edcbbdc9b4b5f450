// Which serial device a port number names. The person and the settings file speak of ports
// 1..8 (shown as COM1..COM8); on this system each number stands for a device path:
//
//   COM1..COM4  ->  /dev/ttyS0 .. /dev/ttyS3      (on-board and PCI serial ports)
//   COM5..COM8  ->  /dev/ttyUSB0 .. /dev/ttyUSB3  (USB serial adapters, the Tovel-U)
//   COM9        ->  /dev/ttyACM0, and the slot for a port given directly by its path
//
// The settings file may replace any of them (section "Ports", keys "COM1".."COM8"), and a front
// end may name a device path directly (`useDirectPath`), which then travels as port 9: the board
// protocol only ever deals in port numbers, and the board search probes 1..8 only.
#pragma once

#include <array>
#include <string>

namespace tovel {

class PortMap {
public:
    static constexpr int kFirstPort = 1;
    static constexpr int kLastPort = 8; // the ports the program offers and searches
    static constexpr int kDirectPort = 9;

    // The device path of a port number, or an empty text for a number outside 1..9.
    std::string pathFor(int portNumber) const;
    // Replaces the path of one port; an empty path restores the default. Numbers outside 1..9
    // are ignored.
    void setOverride(int portNumber, const std::string& path);
    // Makes `path` the device of the direct port and returns that port's number.
    int useDirectPath(const std::string& path);
    // A front end's port argument: "3" or "COM3" (any case) give 3 (1..8); a text with a '/'
    // is taken as a device path and gives the direct port. Anything else gives 0.
    int portFromArgument(const std::string& argument);

    static std::string defaultPathFor(int portNumber);

private:
    std::array<std::string, kDirectPort> overrides_;
};

} // namespace tovel
