#include "sim/command_line.h"

#include <cstdlib>
#include <map>

#include "devices/device_table.h"
#include "sim/chip_factory.h"
#include "sim/fault_schedule.h"
#include "sim/trace_replay.h"

namespace tovel::sim {

namespace {

std::optional<unsigned long> parseNumber(const std::string& text, unsigned long max) {
    if (text.empty()) return std::nullopt;
    char* end = nullptr;
    const unsigned long value = std::strtoul(text.c_str(), &end, 0);
    if (end == nullptr || *end != '\0' || value > max || text[0] == '-') return std::nullopt;
    return value;
}

// Hexadecimal bytes, optionally separated by ':' or ' ' ("1E9999", "1E:99:99").
std::optional<std::vector<std::uint8_t>> parseHexBytes(const std::string& text) {
    std::string digits;
    for (char c : text)
        if (c != ':' && c != ' ') digits.push_back(c);
    if (digits.rfind("0x", 0) == 0 || digits.rfind("0X", 0) == 0) digits = digits.substr(2);
    if (digits.empty() || digits.size() % 2 != 0) return std::nullopt;
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < digits.size(); i += 2) {
        const std::string pair = digits.substr(i, 2);
        char* end = nullptr;
        const unsigned long value = std::strtoul(pair.c_str(), &end, 16);
        if (end == nullptr || *end != '\0') return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(value));
    }
    return bytes;
}

template <std::size_t N> std::optional<std::array<std::uint8_t, N>> parseFixedHex(const std::string& text) {
    const auto bytes = parseHexBytes(text);
    if (!bytes || bytes->size() != N) return std::nullopt;
    std::array<std::uint8_t, N> result{};
    std::copy(bytes->begin(), bytes->end(), result.begin());
    return result;
}

const std::map<std::string, FaultKind>& faultKinds() {
    static const std::map<std::string, FaultKind> kinds = {
        {"drop", FaultKind::DropReply},
        {"corrupt", FaultKind::CorruptReply},
        {"delay", FaultKind::DelayReply},
        {"replace", FaultKind::ReplaceReply},
        {"out-of-step", FaultKind::OutOfStep},
        {"polling", FaultKind::PollingFailure},
        {"stall", FaultKind::Stall},
        {"silence", FaultKind::Silence},
        {"loader", FaultKind::LoaderOnly},
        {"version", FaultKind::OtherVersion},
        {"reset", FaultKind::BoardReset},
        {"lock", FaultKind::LockChip},
        {"stay-locked", FaultKind::StayLocked},
        {"swap", FaultKind::SwapChip},
    };
    return kinds;
}

bool setFaultField(Fault& fault, const std::string& key, const std::string& value, std::string& error) {
    if (key == "nth" || key == "count" || key == "ms") {
        const auto number = parseNumber(value, 1'000'000'000);
        if (!number) {
            error = "bad number for " + key + ": " + value;
            return false;
        }
        if (key == "nth")
            fault.nth = static_cast<int>(*number);
        else if (key == "count")
            fault.count = static_cast<int>(*number);
        else
            fault.delayMs = static_cast<unsigned>(*number);
        return true;
    }
    if (key == "cmd") {
        if (value == "image")
            fault.command = kImageGroupReply;
        else if (value.size() == 1)
            fault.command = static_cast<unsigned char>(value[0]);
        else if (auto number = parseNumber(value, 0xFF))
            fault.command = static_cast<int>(*number);
        else {
            error = "bad command byte: " + value + " (one character, 0xNN or image)";
            return false;
        }
        return true;
    }
    if (key == "pattern") {
        const auto number = parseNumber(value, 0xFF);
        if (!number) {
            error = "bad pattern: " + value;
            return false;
        }
        fault.pattern = static_cast<std::uint8_t>(*number);
        return true;
    }
    if (key == "bytes") {
        if (value.rfind("0x", 0) == 0) {
            const auto bytes = parseHexBytes(value);
            if (!bytes) {
                error = "bad hexadecimal bytes: " + value;
                return false;
            }
            fault.bytes = *bytes;
        } else {
            fault.bytes.assign(value.begin(), value.end());
        }
        return true;
    }
    if (key == "device") {
        fault.device = value;
        return true;
    }
    if (key == "signature") {
        fault.signature = parseFixedHex<3>(value);
        if (!fault.signature) {
            error = "bad signature: " + value + " (three hexadecimal bytes, e.g. 1E9999)";
            return false;
        }
        return true;
    }
    error = "unknown fault setting: " + key;
    return false;
}

} // namespace

std::optional<Fault> parseFaultOption(const std::string& text, std::string& error) {
    std::vector<std::string> parts;
    std::size_t begin = 0;
    for (;;) {
        const std::size_t comma = text.find(',', begin);
        parts.push_back(text.substr(begin, comma == std::string::npos ? std::string::npos : comma - begin));
        if (comma == std::string::npos) break;
        begin = comma + 1;
    }
    const auto kind = faultKinds().find(parts[0]);
    if (kind == faultKinds().end()) {
        error = "unknown fault: " + parts[0];
        return std::nullopt;
    }
    Fault fault;
    fault.kind = kind->second;
    // State faults given on the command line act from the start unless told otherwise.
    if (isStateFault(fault.kind)) fault.nth = 0;
    for (std::size_t i = 1; i < parts.size(); ++i) {
        const std::size_t equals = parts[i].find('=');
        if (equals == std::string::npos) {
            error = "fault setting without a value: " + parts[i];
            return std::nullopt;
        }
        if (!setFaultField(fault, parts[i].substr(0, equals), parts[i].substr(equals + 1), error))
            return std::nullopt;
    }
    if (fault.kind == FaultKind::SwapChip && fault.device.empty() && !fault.signature) {
        error = "swap needs device=NAME or signature=XXXXXX";
        return std::nullopt;
    }
    return fault;
}

CommandLine parseCommandLine(const std::vector<std::string>& args) {
    CommandLine result;
    SimOptions& o = result.options;
    auto fail = [&](const std::string& message) {
        result.error = message;
        return result;
    };
    bool alternativeSignature = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size()) return false;
            out = args[++i];
            return true;
        };
        std::string v;
        if (arg == "--help" || arg == "-h")
            result.help = true;
        else if (arg == "--list-devices")
            result.listDevices = true;
        else if (arg == "--locked")
            o.locked = true;
        else if (arg == "--alt-signature")
            alternativeSignature = true;
        else if (arg == "--stay-locked")
            o.stayLocked = true;
        else if (arg == "--external-clock")
            o.externalClock = true;
        else if (arg == "--no-target-power")
            o.wiring.unpowered = true;
        else if (arg == "--miso-open")
            o.wiring.misoOpen = true;
        else if (arg == "--reset-open")
            o.wiring.resetOpen = true;
        else if (arg == "--timing")
            o.timing.enabled = true;
        else if (arg == "--no-wire-time")
            o.timing.wireTime = false;
        else if (arg == "--no-chip-time")
            o.timing.chipTime = false;
        else if (arg == "--no-spi-time")
            o.timing.spiTime = false;
        else if (arg.rfind("--", 0) == 0 && !value(v))
            return fail("missing value after " + arg);
        else if (arg == "--device") {
            o.device = v;
            if (!makeChip({v, std::nullopt, false}))
                return fail("unknown device: " + v + " (see --list-devices)");
        } else if (arg == "--signature") {
            o.signature = parseFixedHex<3>(v);
            if (!o.signature) return fail("bad signature: " + v + " (three hexadecimal bytes, e.g. 1E9999)");
        } else if (arg == "--calibration") {
            const auto bytes = parseHexBytes(v);
            if (!bytes || bytes->empty() || bytes->size() > 4) return fail("bad calibration bytes: " + v);
            std::array<std::uint8_t, 4> calibration{0xFF, 0xFF, 0xFF, 0xFF};
            std::copy(bytes->begin(), bytes->end(), calibration.begin());
            o.calibration = calibration;
        } else if (arg == "--replay") {
            std::string error;
            std::optional<std::vector<LoggedByte>> steps = readTraceFile(v, error);
            if (!steps) return fail(error);
            o.replay = std::move(*steps);
        } else if (arg == "--slow-chip-clock") {
            const std::optional<unsigned long> ns = parseNumber(v, 1'000'000);
            if (ns) o.wiring.minSckPeriodNs = *ns;
            if (!ns)
                return fail(
                    "--slow-chip-clock needs the shortest SCK period the chip follows in ns, e.g. 2000");
        } else if (arg == "--firmware") {
            if (v == "running")
                o.firmware = FirmwareState::Running;
            else if (v == "loader")
                o.firmware = FirmwareState::LoaderOnly;
            else if (v == "none")
                o.firmware = FirmwareState::None;
            else
                return fail("bad firmware state: " + v + " (running, loader or none)");
        } else if (arg == "--version") {
            if (v.size() != 3) return fail("the version is three characters, e.g. M01, M02, err");
            o.firmwareVersion = v;
        } else if (arg == "--loader-version") {
            if (v.size() != 3) return fail("the loader version is three characters: ldr or ld2");
            o.loaderVersion = v;
        } else if (arg == "--version-text") {
            if (v.size() > 255) return fail("the version text is at most 255 characters");
            o.versionText = v;
        } else if (arg == "--serial") {
            const auto serial = parseFixedHex<5>(v);
            if (!serial) return fail("bad serial number: " + v + " (five hexadecimal bytes)");
            o.serialNumber = *serial;
        } else if (arg == "--latency") {
            const auto ms = parseNumber(v, 1000);
            if (!ms) return fail("bad latency: " + v + " (milliseconds)");
            o.timing.enabled = true;
            o.timing.replyLatencyUs = static_cast<unsigned>(*ms * 1000);
        } else if (arg == "--fault") {
            std::string problem;
            auto fault = parseFaultOption(v, problem);
            if (!fault) return fail(problem);
            o.faults.push_back(*fault);
        } else if (arg == "--state")
            o.stateFile = v;
        else if (arg == "--log")
            o.logFile = v;
        else if (arg == "--link")
            o.linkPath = v;
        else if (arg == "--control")
            result.controlPath = v;
        else
            return fail("unknown option: " + arg);
    }
    if (alternativeSignature) {
        // The second signature the table knows for this chip (e.g. an ATmega3250 in the ATmega325 row).
        const int row = DeviceTable::findByName(o.device.c_str());
        if (row < 0) return fail("--alt-signature needs a chip of the device table");
        o.signature = DeviceTable::device(row).altSignature;
    }
    return result;
}

std::string usageText() {
    return R"(Usage: tovel-sim [options]

Runs a simulated Tovel/Tovel-U programmer board with a chip in its socket on a
pseudo-terminal. The first line printed is the terminal's path: open it with
tovelisp, tovelisp-cli --port PATH or any terminal program (19200 baud, 8N1).
The host may close and reopen it any number of times. Stop with Ctrl-C.

Chip:
  --device NAME        chip in the socket (default ATmega8); "none" for an
                       empty socket; --list-devices shows the names
  --signature XXXXXX   the chip answers with this signature instead (a chip
                       that is not in the table), e.g. 1E9999
  --alt-signature      the chip answers with the table's second signature for
                       its row (e.g. ATmega3250 for "ATmega325/3250")
  --locked             lock bits programmed (reads as 00 01 02)
  --stay-locked        chip erase does not unlock the chip
  --external-clock     a clock is fed to the chip (else fuses selecting an
                       external clock lock serial programming out)
  --calibration HEX    calibration bytes, e.g. A1A2A3A4
  --replay TRACE       answer as the board recorded in TRACE did, byte for byte
                       (a --log file, or a trace of tovelisp-cli --trace)
  --no-target-power    the target has no power (the chip reads 00)
  --miso-open          MISO not connected (reads FF through the pull-up)
  --reset-open         reset not connected (the chip never enters programming)
  --slow-chip-clock NS the chip's clock is too slow for SCK periods shorter
                       than NS nanoseconds: its answers come out garbled
  --state FILE         keep the chip's memories in FILE between runs

Board:
  --firmware running|loader|none   firmware state at start (default running)
  --version XXX        short version answer (default M01; e.g. M02, err)
  --loader-version XXX loader's short version (ldr or ld2)
  --version-text TEXT  long version text
  --serial HEX         five serial number bytes

Timing (off by default; the board then answers at once):
  --timing             wire time at the line speed, SPI clock and chip times
  --latency MS         per-reply latency, like a USB-serial adapter (implies
                       --timing), e.g. 1 or 16
  --no-wire-time, --no-chip-time, --no-spi-time   leave a part out

Faults (repeatable): --fault KIND[,key=value...]
  kinds: drop, corrupt, delay, replace, out-of-step, polling, stall, silence,
         loader, version, reset, lock, stay-locked, swap
  keys:  nth=N (the Nth reply, 1 = first; state faults default to at once),
         cmd=C (count only replies to command C: one character, 0xNN or
         image), count=N, ms=N, pattern=0xNN, bytes=TEXT or bytes=0xHEX,
         device=NAME, signature=XXXXXX
  e.g.   --fault drop,nth=3   --fault replace,cmd=%,bytes=x
         --fault polling,nth=2   --fault reset,nth=40,cmd={
         --fault version,bytes=M02   --fault swap,device=ATmega16

Other:
  --link PATH          also make PATH a symbolic link to the terminal
  --control PATH       make PATH a FIFO; the lines "insert [DEVICE]" and "remove" written to it
                       put a fresh chip into the socket or take it out while the board runs
  --log FILE           log every byte in both directions, with speed changes
  --list-devices       list the chip names and exit
  --help               this text
)";
}

} // namespace tovel::sim
