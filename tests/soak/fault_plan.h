// The faults of one soak run, drawn from a seeded generator: what goes wrong on the line or in
// the socket, and at which of the board's replies.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/sim_options.h"
#include "soak/soak_random.h"

namespace tovel::soak {

enum class FaultType {
    DroppedReply,
    CorruptedReply,
    DelayedReply, // shorter than the channel's time-out: must be tolerated
    LateReply,    // longer than the time-out: a missing reply, then a stray one
    Stall,
    OutOfStep,
    PollingFailure,
    ResetMidTransfer,
    WrongChip, // another chip (or none) put in the socket during the run
    WrongChipAtStart,
    LockedChip,    // the chip's lock bits programmed during the run
    LockedAtStart, // locked from the start (sometimes so that an erase does not clear it)
};
constexpr int kFaultTypeCount = 12;

const char* faultTypeName(FaultType type);

struct PlannedFault {
    FaultType type;
    int nth = 0; // the reply it fires on (0: the board starts that way)
};

struct FaultPlan {
    std::vector<PlannedFault> planned;
    sim::SimOptions options;      // the board with the faults armed
    unsigned injectedDelayMs = 0; // delays and stalls that add to the run's time
};

// Draws 0 to 3 faults for a run whose clean form takes about `replies` board replies, with the
// channel's time-out `timeoutMs`. `device` is the chip in the socket.
FaultPlan planFaults(SoakRandom& random, const std::string& device, int replies, unsigned timeoutMs);

} // namespace tovel::soak
