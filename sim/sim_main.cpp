// tovel-sim: the simulated board on a pseudo-terminal.
#include <csignal>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "devices/device_table.h"
#include "sim/command_line.h"
#include "sim/control_channel.h"
#include "sim/pty_board_host.h"

using namespace tovel;

int main(int argc, char** argv) {
    const sim::CommandLine line = sim::parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (!line.error.empty()) {
        std::fprintf(stderr, "tovel-sim: %s\nTry tovel-sim --help.\n", line.error.c_str());
        return 2;
    }
    if (line.help) {
        std::fputs(sim::usageText().c_str(), stdout);
        return 0;
    }
    if (line.listDevices) {
        for (int n = 0; n < DeviceTable::deviceCount(); ++n) std::printf("%s\n", DeviceTable::device(n).name);
        std::printf("none\n");
        return 0;
    }

    // Signals are taken by sigwait below, so block them before the board thread starts.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    sim::PtyBoardHost host(line.options);
    if (!host.ok()) {
        std::fprintf(stderr, "tovel-sim: %s\n", host.error().c_str());
        return 1;
    }
    std::optional<sim::ControlChannel> control;
    if (!line.controlPath.empty()) {
        control.emplace(line.controlPath, [&host](const sim::ControlCommand& command) {
            if (command.board != 1) return;
            host.injectFault(sim::Fault::at(sim::FaultKind::SwapChip, 0)
                                 .withDevice(command.insert ? command.device : std::string("none")));
        });
        if (!control->ok()) {
            std::fprintf(stderr, "tovel-sim: %s\n", control->error().c_str());
            return 1;
        }
    }
    std::printf("%s\n", host.slavePath().c_str());
    std::fflush(stdout);
    std::fprintf(stderr, "tovel-sim: %s on %s%s%s (Ctrl-C to stop)\n", line.options.device.c_str(),
                 host.slavePath().c_str(), line.options.linkPath.empty() ? "" : ", linked as ",
                 line.options.linkPath.c_str());

    int received = 0;
    sigwait(&signals, &received);
    if (line.options.timing.enabled) {
        const sim::TimingReport floor = host.timing();
        std::fprintf(stderr, "tovel-sim: floor %.3f s (wire %.3f, SPI %.3f, chip %.3f, latency %.3f)\n",
                     static_cast<double>(floor.floorUs()) / 1e6, static_cast<double>(floor.wireUs) / 1e6,
                     static_cast<double>(floor.spiUs) / 1e6, static_cast<double>(floor.chipUs) / 1e6,
                     static_cast<double>(floor.latencyUs) / 1e6);
    }
    return 0;
}
