#include "board/port_map.h"

#include <cctype>

namespace tovel {

namespace {

bool inMap(int portNumber) { return portNumber >= PortMap::kFirstPort && portNumber <= PortMap::kDirectPort; }

// A decimal port number 1..8 without sign or blanks, or 0.
int parsePortNumber(const std::string& digits) {
    if (digits.empty() || digits.size() > 1) return 0;
    const int n = digits[0] - '0';
    return n >= PortMap::kFirstPort && n <= PortMap::kLastPort ? n : 0;
}

} // namespace

std::string PortMap::defaultPathFor(int portNumber) {
    if (portNumber >= 1 && portNumber <= 4) return "/dev/ttyS" + std::to_string(portNumber - 1);
    if (portNumber >= 5 && portNumber <= 8) return "/dev/ttyUSB" + std::to_string(portNumber - 5);
    if (portNumber == kDirectPort) return "/dev/ttyACM0";
    return std::string();
}

std::string PortMap::pathFor(int portNumber) const {
    if (!inMap(portNumber)) return std::string();
    const std::string& custom = overrides_[static_cast<std::size_t>(portNumber - 1)];
    return custom.empty() ? defaultPathFor(portNumber) : custom;
}

void PortMap::setOverride(int portNumber, const std::string& path) {
    if (inMap(portNumber)) overrides_[static_cast<std::size_t>(portNumber - 1)] = path;
}

int PortMap::useDirectPath(const std::string& path) {
    setOverride(kDirectPort, path);
    return kDirectPort;
}

int PortMap::portFromArgument(const std::string& argument) {
    if (argument.find('/') != std::string::npos) return useDirectPath(argument);
    if (argument.size() > 3 && std::toupper(static_cast<unsigned char>(argument[0])) == 'C' &&
        std::toupper(static_cast<unsigned char>(argument[1])) == 'O' &&
        std::toupper(static_cast<unsigned char>(argument[2])) == 'M')
        return parsePortNumber(argument.substr(3));
    return parsePortNumber(argument);
}

} // namespace tovel
