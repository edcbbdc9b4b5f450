#include "support/sim_bench.h"

#include <chrono>
#include <thread>

namespace tovel::test {

SimBench::SimBench(sim::SimOptions options, unsigned timeoutMs)
    : board(std::make_unique<sim::PtyBoardHost>(std::move(options))), channel(ports, timeoutMs),
      session(channel, ui, messages, systemClock()) {
    for (int port = PortMap::kFirstPort; port <= PortMap::kLastPort; ++port)
        ports.setOverride(port, "/dev/null/tovel-no-port-" + std::to_string(port));
    ports.setOverride(1, board->slavePath());
}

sim::PtyBoardHost& SimBench::addBoard(int port, sim::SimOptions options) {
    others.push_back(std::make_unique<sim::PtyBoardHost>(std::move(options)));
    ports.setOverride(port, others.back()->slavePath());
    return *others.back();
}

std::vector<std::uint8_t> SimBench::hostBytes(const sim::PtyBoardHost& host) const {
    constexpr auto kQuiet = std::chrono::milliseconds(40);
    for (int round = 0; round < 25; ++round) {
        host.waitIdle();
        const std::size_t seen = host.log().size();
        std::this_thread::sleep_for(kQuiet);
        if (host.log().size() == seen) break;
    }
    std::vector<std::uint8_t> bytes;
    for (const sim::LoggedByte& entry : host.log())
        if (entry.direction == sim::Direction::HostToBoard) bytes.push_back(entry.byte);
    return bytes;
}

} // namespace tovel::test
