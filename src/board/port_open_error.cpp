#include "board/port_open_error.h"

#include <cerrno>
#include <cstring>

namespace tovel {

namespace {

bool isModemManager(const PortHolder& holder) { return holder.name == "ModemManager"; }

unsigned notSerialText(PortFileKind kind) {
    switch (kind) {
    case PortFileKind::RegularFile:
        return msg::PortIsRegularFile;
    case PortFileKind::Directory:
        return msg::PortIsDirectory;
    case PortFileKind::Fifo:
        return msg::PortIsFifo;
    case PortFileKind::CharacterDevice:
        return msg::PortIsNotTerminal;
    default:
        return msg::PortIsOtherFile;
    }
}

} // namespace

PortOpenCause classifyPortOpenFailure(const PortOpenFailure& failure, const PortFacts& facts) {
    if (failure.path.empty()) return PortOpenCause::NotSet;
    if (facts.kind == PortFileKind::Missing || failure.error == ENOENT) return PortOpenCause::Missing;
    // The kind of file comes first: a regular file nobody may open is still not a serial port.
    if (facts.kind != PortFileKind::CharacterDevice) return PortOpenCause::NotSerial;
    if (failure.error == ENXIO || failure.error == ENODEV) return PortOpenCause::NoDevice;
    if (failure.error == EACCES || failure.error == EPERM) return PortOpenCause::PermissionDenied;
    if (failure.error == EBUSY || failure.error == EWOULDBLOCK ||
        failure.stage == PortOpenFailure::Stage::Lock)
        return PortOpenCause::InUse;
    if (failure.error == ENOTTY || failure.error == EINVAL) return PortOpenCause::NotSerial;
    return PortOpenCause::Other;
}

std::string describePortOpenFailure(const PortOpenFailure& failure, const Messages& messages,
                                    const SystemPaths& system) {
    const PortFacts facts = inspectPort(failure.path, system);
    const char* path = failure.path.c_str();
    switch (classifyPortOpenFailure(failure, facts)) {
    case PortOpenCause::NotSet:
        return messages.text(msg::CannotOpenComPort);
    case PortOpenCause::Missing:
        return messages.format(msg::PortMissing, path);
    case PortOpenCause::NoDevice:
        return messages.format(msg::PortNoDevice, path);
    case PortOpenCause::NotSerial:
        return messages.format(notSerialText(facts.kind), path);
    case PortOpenCause::PermissionDenied:
        // Joining the group only helps when the group may read and write.
        if (facts.groupMayReadWrite && !facts.userInGroup && facts.group != "root")
            return messages.format(msg::PortPermissionJoinGroup, path, facts.group.c_str(),
                                   facts.group.c_str());
        return messages.format(msg::PortPermissionMode, path, facts.owner.c_str(), facts.group.c_str(),
                               modeText(facts.mode).c_str());
    case PortOpenCause::InUse:
        for (const PortHolder& holder : facts.holders)
            if (isModemManager(holder))
                return messages.format(msg::PortInUseByModemManager, path,
                                       std::to_string(holder.pid).c_str());
        if (!facts.holders.empty())
            return messages.format(msg::PortInUseBy, path, facts.holders.front().name.c_str(),
                                   std::to_string(facts.holders.front().pid).c_str());
        return messages.text(msg::CannotOpenComPort);
    case PortOpenCause::Other:
        break;
    }
    return messages.format(msg::PortOpenFailedReason, path, std::strerror(failure.error));
}

} // namespace tovel
