#include "soak/fault_plan.h"

#include <algorithm>
#include <array>

namespace tovel::soak {

namespace {

using sim::Fault;
using sim::FaultKind;

constexpr int kFirstSessionReplies = 10;

// Chips that may turn up in the socket instead of the expected one; "" stands for a chip that
// is in no table (an unknown signature).
constexpr std::array<const char*, 9> kOtherChips = {
    "ATmega16", "ATmega8", "AT90S2313", "AT89S52", "AT89S8252", "AT25256", "AT45DB041", "none", ""};

void swapChip(SoakRandom& random, const std::string& device, Fault& fault, sim::SimOptions& options,
              bool atStart) {
    std::string other;
    do {
        other = kOtherChips[random.between(0, kOtherChips.size() - 1)];
    } while (other == device);
    if (atStart) {
        if (other.empty()) {
            options.signature = std::array<std::uint8_t, 3>{0x1E, 0x93, 0x99};
            options.device = "ATmega8"; // the geometry of an unknown AVR part
        } else {
            options.device = other;
        }
        return;
    }
    if (other.empty())
        fault = fault.withSignature({0x1E, 0x93, 0x99});
    else
        fault = fault.withDevice(other);
}

} // namespace

const char* faultTypeName(FaultType type) {
    switch (type) {
    case FaultType::DroppedReply:
        return "dropped reply";
    case FaultType::CorruptedReply:
        return "corrupted reply";
    case FaultType::DelayedReply:
        return "delayed reply (within time-out)";
    case FaultType::LateReply:
        return "late reply (beyond time-out)";
    case FaultType::Stall:
        return "stall";
    case FaultType::OutOfStep:
        return "out-of-step byte";
    case FaultType::PollingFailure:
        return "polling failure";
    case FaultType::ResetMidTransfer:
        return "board reset mid-transfer";
    case FaultType::WrongChip:
        return "wrong chip (swapped during run)";
    case FaultType::WrongChipAtStart:
        return "wrong chip (from start)";
    case FaultType::LockedChip:
        return "locked chip (locked during run)";
    case FaultType::LockedAtStart:
        return "locked chip (from start)";
    }
    return "?";
}

FaultPlan planFaults(SoakRandom& random, const std::string& device, int replies, unsigned timeoutMs) {
    FaultPlan plan;
    plan.options.device = device;
    const unsigned roll = static_cast<unsigned>(random.between(0, 99));
    const int count = roll < 10 ? 0 : roll < 70 ? 1 : roll < 90 ? 2 : 3;
    for (int i = 0; i < count; ++i) {
        const auto type = static_cast<FaultType>(random.between(0, kFaultTypeCount - 1));
        const int nth = static_cast<int>(random.between(1, static_cast<std::uint64_t>(std::max(replies, 1))));
        PlannedFault planned{type, nth};
        Fault fault;
        bool armed = true;
        switch (type) {
        case FaultType::DroppedReply:
            fault = Fault::at(FaultKind::DropReply, nth).times(static_cast<int>(random.between(1, 2)));
            break;
        case FaultType::CorruptedReply:
            fault = Fault::at(FaultKind::CorruptReply, nth)
                        .withPattern(static_cast<std::uint8_t>(random.between(1, 255)));
            break;
        case FaultType::DelayedReply: {
            const unsigned ms = static_cast<unsigned>(random.between(10, timeoutMs / 2));
            fault = Fault::at(FaultKind::DelayReply, nth).withDelay(ms);
            plan.injectedDelayMs += ms;
            break;
        }
        case FaultType::LateReply: {
            const unsigned ms = static_cast<unsigned>(random.between(timeoutMs + 50, timeoutMs * 3));
            fault = Fault::at(FaultKind::DelayReply, nth).withDelay(ms);
            plan.injectedDelayMs += ms;
            break;
        }
        case FaultType::Stall: {
            const unsigned ms = static_cast<unsigned>(random.between(50, 5 * timeoutMs));
            fault = Fault::at(FaultKind::Stall, nth).withDelay(ms);
            plan.injectedDelayMs += ms;
            break;
        }
        case FaultType::OutOfStep:
            fault = Fault::at(FaultKind::OutOfStep, nth).withPattern(random.byte());
            break;
        case FaultType::PollingFailure:
            // Counted over the write commands only: the first few of them.
            planned.nth = static_cast<int>(random.between(1, 8));
            fault = Fault::at(FaultKind::PollingFailure, planned.nth);
            break;
        case FaultType::ResetMidTransfer:
            fault = Fault::at(FaultKind::BoardReset, nth);
            break;
        case FaultType::WrongChip:
            // Within the first session (the erase). A chip changed between two later steps is
            // not the chip those steps verified, and a run that reads the signature only before
            // programming Flash cannot tell.
            planned.nth = static_cast<int>(random.between(1, std::min(replies, kFirstSessionReplies)));
            fault = Fault::at(FaultKind::SwapChip, planned.nth);
            swapChip(random, device, fault, plan.options, false);
            break;
        case FaultType::WrongChipAtStart:
            planned.nth = 0;
            swapChip(random, device, fault, plan.options, true);
            armed = false;
            break;
        case FaultType::LockedChip:
            fault = Fault::at(FaultKind::LockChip, nth);
            if (random.chance(30)) plan.options.faults.push_back(Fault::at(FaultKind::StayLocked, nth));
            break;
        case FaultType::LockedAtStart:
            planned.nth = 0;
            plan.options.locked = true;
            plan.options.stayLocked = random.chance(30);
            armed = false;
            break;
        }
        if (armed) plan.options.faults.push_back(fault);
        plan.planned.push_back(planned);
    }
    return plan;
}

} // namespace tovel::soak
