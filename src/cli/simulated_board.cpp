#include "cli/simulated_board.h"

#include "board/port_map.h"
#include "sim/command_line.h"

namespace tovel::cli {

namespace {

// A path that cannot be opened: below a file, not a folder.
constexpr const char* kNoDevice = "/dev/null/no-board";

sim::SimOptions optionsFor(const std::string& device, const std::optional<std::string>& stateFile,
                           const std::vector<std::string>& simulateWith) {
    sim::SimOptions options = sim::parseCommandLine(simulateWith).options;
    options.device = device;
    if (stateFile) options.stateFile = *stateFile;
    return options;
}

} // namespace

SimulatedBoard::SimulatedBoard(const std::string& device, const std::optional<std::string>& stateFile,
                               const std::vector<std::string>& simulateWith)
    : host_(optionsFor(device, stateFile, simulateWith)) {}

void SimulatedBoard::attach(PortMap& ports, int port) const {
    for (int n = PortMap::kFirstPort; n <= PortMap::kLastPort; ++n)
        ports.setOverride(n, n == port ? host_.slavePath() : kNoDevice);
}

} // namespace tovel::cli
