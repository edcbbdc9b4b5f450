// The options of tovel-sim, parsed into the simulator's settings.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "sim/sim_options.h"

namespace tovel::sim {

struct CommandLine {
    SimOptions options;
    bool help = false;
    bool listDevices = false;
    std::string controlPath; // --control: a FIFO of insert/remove lines ("" = none)
    std::string error;       // non-empty: a usage error
};

CommandLine parseCommandLine(const std::vector<std::string>& arguments);
std::string usageText();

// A fault as "KIND[,key=value...]", e.g. "drop,nth=3,cmd={" or "version,bytes=M02".
std::optional<Fault> parseFaultOption(const std::string& text, std::string& error);

} // namespace tovel::sim
