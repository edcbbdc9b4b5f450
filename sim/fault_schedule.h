// Faults waiting for their trigger: each counts the board's replies (optionally only those to one
// command) and fires on the nth, for `count` replies.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "sim/sim_options.h"

namespace tovel::sim {

// What the faults that fired do to one reply.
struct ReplyFaults {
    bool drop = false;
    std::optional<std::uint8_t> corrupt; // XOR pattern
    std::optional<std::vector<std::uint8_t>> replace;
    std::optional<std::uint8_t> strayBefore; // out-of-step byte sent first
    unsigned delayMs = 0;
    bool pollingFailure = false;
    std::vector<Fault> stateFaults; // board or chip changes to apply before the command runs
};

class FaultSchedule {
public:
    // State faults with nth 0 are returned at once for the caller to apply.
    std::optional<Fault> add(const Fault& fault);
    void clear() { armed_.clear(); }
    bool empty() const { return armed_.empty(); }

    // Called before the board carries out a command that will be answered.
    ReplyFaults onReply(int command, bool isWriteCommand);

private:
    struct Armed {
        Fault fault;
        int skip;
        int remaining;
    };
    std::vector<Armed> armed_;
};

bool isStateFault(FaultKind kind);

} // namespace tovel::sim
