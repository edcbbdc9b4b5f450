#include "sim/fault_schedule.h"

#include <algorithm>

namespace tovel::sim {

bool isStateFault(FaultKind kind) {
    switch (kind) {
    case FaultKind::Stall:
    case FaultKind::Silence:
    case FaultKind::LoaderOnly:
    case FaultKind::OtherVersion:
    case FaultKind::BoardReset:
    case FaultKind::LockChip:
    case FaultKind::StayLocked:
    case FaultKind::SwapChip:
        return true;
    default:
        return false;
    }
}

std::optional<Fault> FaultSchedule::add(const Fault& fault) {
    if (fault.nth <= 0 && isStateFault(fault.kind)) return fault;
    const int skip = std::max(fault.nth, 1) - 1;
    const int remaining = isStateFault(fault.kind) ? 1 : std::max(fault.count, 1);
    armed_.push_back({fault, skip, remaining});
    return std::nullopt;
}

ReplyFaults FaultSchedule::onReply(int command, bool isWriteCommand) {
    ReplyFaults result;
    for (Armed& armed : armed_) {
        const Fault& f = armed.fault;
        const bool matches = f.kind == FaultKind::PollingFailure
                                 ? isWriteCommand && (f.command < 0 || f.command == command)
                                 : f.command < 0 || f.command == command;
        if (!matches) continue;
        if (armed.skip > 0) {
            --armed.skip;
            continue;
        }
        --armed.remaining;
        switch (f.kind) {
        case FaultKind::DropReply:
            result.drop = true;
            break;
        case FaultKind::CorruptReply:
            result.corrupt = f.pattern;
            break;
        case FaultKind::DelayReply:
            result.delayMs += f.delayMs;
            break;
        case FaultKind::ReplaceReply:
            result.replace = f.bytes;
            break;
        case FaultKind::OutOfStep:
            result.strayBefore = f.pattern;
            break;
        case FaultKind::PollingFailure:
            result.pollingFailure = true;
            break;
        default:
            result.stateFaults.push_back(f);
            break;
        }
    }
    std::erase_if(armed_, [](const Armed& a) { return a.remaining <= 0; });
    return result;
}

} // namespace tovel::sim
