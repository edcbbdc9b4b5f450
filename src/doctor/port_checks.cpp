#include "doctor/port_checks.h"

#include <cstring>
#include <filesystem>

#include "board/port_open_error.h"

namespace tovel::doctor {

namespace {

DoctorCheck check(CheckState state, const char* key, unsigned nameId, DoctorText finding,
                  std::vector<DoctorText> advice = {}) {
    return DoctorCheck{state, key, nameId, std::move(finding), std::move(advice)};
}

unsigned kindName(PortFileKind kind) {
    switch (kind) {
    case PortFileKind::RegularFile:
        return msg::DoctorKindRegularFile;
    case PortFileKind::Directory:
        return msg::DoctorKindDirectory;
    case PortFileKind::Fifo:
        return msg::DoctorKindFifo;
    case PortFileKind::Socket:
        return msg::DoctorKindSocket;
    case PortFileKind::BlockDevice:
        return msg::DoctorKindBlockDevice;
    default:
        return msg::DoctorKindNotTerminal;
    }
}

// The kind is a word of its own row, filled in when the finding is shown in the person's language.
DoctorCheck notSerial(const std::string& path, PortFileKind kind) {
    DoctorCheck result =
        check(CheckState::Fail, "port", msg::DoctorCheckPort, {msg::DoctorPortNotSerial, {path, ""}},
              {{msg::DoctorAdvicePickSerialPort, {}}});
    result.finding.nestedId = kindName(kind);
    return result;
}

std::vector<DoctorText> accessAdvice(const PortFacts& facts) {
    if (facts.groupMayReadWrite && !facts.userInGroup && facts.group != "root")
        return {{msg::DoctorAdviceJoinGroup, {facts.group, facts.group}}};
    return {{msg::DoctorAdviceUdevRule, {}}};
}

std::string ttyName(const std::string& path) {
    std::error_code error;
    const std::filesystem::path resolved = std::filesystem::canonical(path, error);
    return (error ? std::filesystem::path(path) : resolved).filename().string();
}

} // namespace

bool checkPortFile(const std::string& path, const SystemPaths& system, std::vector<DoctorCheck>& checks) {
    if (path.empty()) {
        checks.push_back(check(CheckState::Fail, "port", msg::DoctorCheckPort, {msg::DoctorNoPortChosen, {}},
                               {{msg::DoctorAdviceChoosePort, {}}}));
        return false;
    }
    const PortFacts facts = inspectPort(path, system);
    if (facts.kind == PortFileKind::Missing) {
        checks.push_back(check(CheckState::Fail, "port", msg::DoctorCheckPort,
                               {msg::DoctorPortMissing, {path}}, {{msg::DoctorAdvicePlugIn, {}}}));
        return false;
    }
    if (facts.kind != PortFileKind::CharacterDevice) {
        checks.push_back(notSerial(path, facts.kind));
        return false;
    }
    if (facts.userMayReadWrite && !isTerminalDevice(path)) {
        checks.push_back(notSerial(path, PortFileKind::CharacterDevice));
        return false;
    }
    checks.push_back(check(CheckState::Ok, "port", msg::DoctorCheckPort, {msg::DoctorPortIsSerial, {path}}));

    bool passed = true;
    const std::vector<std::string> modeArgs = {facts.owner, facts.group, modeText(facts.mode)};
    if (!facts.userMayReadWrite) {
        checks.push_back(check(CheckState::Fail, "access", msg::DoctorCheckAccess,
                               {msg::DoctorAccessDenied, modeArgs}, accessAdvice(facts)));
        passed = false;
    } else {
        checks.push_back(
            check(CheckState::Ok, "access", msg::DoctorCheckAccess, {msg::DoctorAccessOk, modeArgs}));
    }

    if (!facts.holders.empty()) {
        // Another program on the line garbles the conversation even when the open succeeds.
        const PortHolder& holder = facts.holders.front();
        const DoctorText advice = holder.name == "ModemManager"
                                      ? DoctorText{msg::DoctorAdviceModemManager, {}}
                                      : DoctorText{msg::DoctorAdviceCloseHolder, {holder.name}};
        checks.push_back(check(CheckState::Fail, "holders", msg::DoctorCheckHolders,
                               {msg::DoctorHeldBy, {holder.name, std::to_string(holder.pid)}}, {advice}));
        passed = false;
    } else {
        checks.push_back(check(CheckState::Ok, "holders", msg::DoctorCheckHolders, {msg::DoctorNotHeld, {}}));
    }

    if (facts.usb) {
        const UsbSerialFacts& usb = *facts.usb;
        const std::string product = usb.product.empty() ? std::string("USB") : usb.product;
        const std::string serial = usb.serialNumber.empty() ? std::string("-") : usb.serialNumber;
        DoctorCheck adapter =
            check(CheckState::Ok, "adapter", msg::DoctorCheckAdapter,
                  {msg::DoctorAdapterFacts, {product, usb.driver, usb.vendorId, usb.productId, serial}});
        if (!usb.byIdPath.empty() && path.rfind("/dev/serial/by-id/", 0) != 0) {
            adapter.state = CheckState::Warn;
            adapter.advice.push_back({msg::DoctorAdviceStableName, {usb.byIdPath, path}});
        }
        checks.push_back(adapter);
        if (usb.latencyTimerMs) {
            const int ms = *usb.latencyTimerMs;
            DoctorCheck latency = check(CheckState::Ok, "latency", msg::DoctorCheckLatency,
                                        {msg::DoctorLatency, {std::to_string(ms)}});
            if (ms > 1) {
                latency.state = CheckState::Warn;
                latency.advice.push_back(
                    {msg::DoctorAdviceLatency,
                     {"/sys/bus/usb-serial/devices/" + ttyName(path) + "/latency_timer"}});
            }
            checks.push_back(latency);
        }
    }
    return passed;
}

DoctorCheck openCheck(const std::optional<PortOpenFailure>& failure, const SystemPaths& system) {
    if (!failure) return check(CheckState::Ok, "open", msg::DoctorCheckOpen, {msg::DoctorOpened, {}});
    const PortFacts facts = inspectPort(failure->path, system);
    switch (classifyPortOpenFailure(*failure, facts)) {
    case PortOpenCause::NotSet:
        return check(CheckState::Fail, "open", msg::DoctorCheckOpen, {msg::DoctorNoPortChosen, {}},
                     {{msg::DoctorAdviceChoosePort, {}}});
    case PortOpenCause::Missing:
    case PortOpenCause::NoDevice:
        return check(CheckState::Fail, "open", msg::DoctorCheckOpen,
                     {msg::DoctorPortMissing, {failure->path}}, {{msg::DoctorAdvicePlugIn, {}}});
    case PortOpenCause::NotSerial: {
        DoctorCheck result = notSerial(failure->path, facts.kind);
        result.key = "open";
        result.nameId = msg::DoctorCheckOpen;
        return result;
    }
    case PortOpenCause::PermissionDenied:
        return check(CheckState::Fail, "open", msg::DoctorCheckOpen,
                     {msg::DoctorAccessDenied, {facts.owner, facts.group, modeText(facts.mode)}},
                     accessAdvice(facts));
    case PortOpenCause::InUse:
        if (!facts.holders.empty()) {
            const PortHolder& holder = facts.holders.front();
            const DoctorText advice = holder.name == "ModemManager"
                                          ? DoctorText{msg::DoctorAdviceModemManager, {}}
                                          : DoctorText{msg::DoctorAdviceCloseHolder, {holder.name}};
            return check(CheckState::Fail, "open", msg::DoctorCheckOpen,
                         {msg::DoctorHeldBy, {holder.name, std::to_string(holder.pid)}}, {advice});
        }
        return check(CheckState::Fail, "open", msg::DoctorCheckOpen, {msg::DoctorInUseUnknown, {}},
                     {{msg::DoctorAdviceCloseOthers, {}}});
    case PortOpenCause::Other:
        break;
    }
    return check(CheckState::Fail, "open", msg::DoctorCheckOpen,
                 {msg::DoctorOpenError, {std::strerror(failure->error)}}, {{msg::DoctorAdvicePlugIn, {}}});
}

} // namespace tovel::doctor
