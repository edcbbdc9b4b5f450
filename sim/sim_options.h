// Public settings of the simulated board: the chip in the socket, the firmware state, the
// optional timing model, faults to inject, and the byte log entry. Shared by the in-process
// board model, the pseudo-terminal host and the tovel-sim command line.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tovel::sim {

// What the board does when a fault triggers. Reply faults act on the triggering reply (and on
// `count` replies in all); state faults change the board or the chip from the trigger on.
enum class FaultKind {
    DropReply,      // the reply is not sent (the command itself is carried out)
    CorruptReply,   // every byte of the reply is XORed with `pattern`
    DelayReply,     // the reply is sent `delayMs` late
    ReplaceReply,   // the reply is replaced by `bytes` (e.g. "x" for an out-of-step status probe)
    OutOfStep,      // a stray byte (`pattern`) is sent before the reply, so replies lag by one
    PollingFailure, // a WriteFlashBytes/WriteEepromBytes is answered 0x1B and not written
    Stall,          // from the trigger on the board answers nothing for `delayMs` (0: until cleared);
                    // replies due while stalled are lost
    Silence,        // no firmware: the board never answers again (until cleared)
    LoaderOnly,     // the firmware is gone: only the loader answers (until a complete upload)
    OtherVersion,   // ShortVersion answers `bytes` from now on (e.g. "M02", "err", "ld2")
    BoardReset,     // power cycle in place of the reply: back to 19200 baud, target released
    LockChip,       // the chip's lock bits become fully programmed (read and write protected)
    StayLocked,     // chip erase no longer clears the lock bits
    SwapChip,       // another chip is in the socket: `device` (a table name, "none"), or `signature`
};

// The `command` of a fault that counts the loader's acknowledgements of firmware image groups.
constexpr int kImageGroupReply = 0x100;

struct Fault {
    FaultKind kind = FaultKind::DropReply;
    // Trigger: the nth reply from now (1 = the next one) that matches `command`. 0 applies a
    // state fault at once (reply faults treat 0 as 1).
    int nth = 1;
    int command = -1; // count only replies to this command byte (e.g. '{'); -1 = any reply
                      // (PollingFailure always counts only WriteFlashBytes/WriteEepromBytes)
    int count = 1;    // reply faults: how many matching replies in a row are affected
    unsigned delayMs = 0;
    std::uint8_t pattern = 0x5A;
    std::vector<std::uint8_t> bytes;
    std::string device;
    std::optional<std::array<std::uint8_t, 3>> signature;

    // Builders, e.g. Fault::at(FaultKind::ReplaceReply, 1, '%').withBytes({'x'}).
    static Fault at(FaultKind kind, int nth = 1, int command = -1) {
        Fault f;
        f.kind = kind;
        f.nth = nth;
        f.command = command;
        return f;
    }
    Fault times(int n) const {
        return with([&](Fault& f) { f.count = n; });
    }
    Fault withDelay(unsigned ms) const {
        return with([&](Fault& f) { f.delayMs = ms; });
    }
    Fault withPattern(std::uint8_t p) const {
        return with([&](Fault& f) { f.pattern = p; });
    }
    Fault withBytes(std::vector<std::uint8_t> b) const {
        return with([&](Fault& f) { f.bytes = std::move(b); });
    }
    Fault withDevice(std::string name) const {
        return with([&](Fault& f) { f.device = std::move(name); });
    }
    Fault withSignature(std::array<std::uint8_t, 3> s) const {
        return with([&](Fault& f) { f.signature = s; });
    }

private:
    template <typename Change> Fault with(Change change) const {
        Fault copy = *this;
        change(copy);
        return copy;
    }
};

// Optional timing model. Off by default: the board then answers as fast as it can.
struct TimingOptions {
    bool enabled = false;
    bool wireTime = true;        // 10 bit times a byte at the current speed, both directions
    bool chipTime = true;        // chip write and erase times (the board waits until the chip is ready)
    bool spiTime = true;         // 8 SCK periods a SPI byte
    unsigned replyLatencyUs = 0; // added before every reply, like a USB-serial adapter (e.g. 1000, 16000)
};

// The floor a session imposed: what no host could have gone below against this board.
// Wire, SPI and chip times are counted whether or not the model is enabled (what a real board
// would impose); with the model enabled the board also takes that long.
struct TimingReport {
    std::uint64_t wireUs = 0;    // line time of every byte in both directions
    std::uint64_t spiUs = 0;     // SPI clock time at the session's SCK period
    std::uint64_t chipUs = 0;    // chip write and erase times
    std::uint64_t latencyUs = 0; // reply latency added (model enabled only)
    std::uint64_t floorUs() const { return wireUs + spiUs + chipUs + latencyUs; }
};

// The target circuit around the chip: power, the MISO and reset wires, and the chip's clock.
struct TargetWiring {
    bool unpowered = false;           // no target power: the unpowered chip holds MISO low (reads 00)
    bool misoOpen = false;            // MISO not connected: the board's pull-up reads FF
    bool resetOpen = false;           // reset not connected: the chip never enters programming mode
    std::uint64_t minSckPeriodNs = 0; // the chip's clock is too slow for shorter SCK periods: its
                                      // answers come out garbled (a different garble every byte)
};

enum class FirmwareState {
    Running,    // firmware with `firmwareVersion`
    LoaderOnly, // only the loader answers ("-", "ldr")
    None,       // nothing answers
};

enum class Direction { HostToBoard, BoardToHost };

// One byte on the line as its sender put it there, with both ends' speeds at that moment (when
// they differ the receiver decoded something else).
struct LoggedByte {
    Direction direction = Direction::HostToBoard;
    std::uint8_t byte = 0;
    int hostBaud = 0;
    int boardBaud = 0;
    std::uint64_t timeUs = 0; // since the board started
};

struct SimOptions {
    // Chip in the socket: a name of the device table (case-insensitive), or "none"/"empty".
    std::string device = "ATmega8";
    // A chip that is not in the table: an AVR page part (ATmega8 geometry) with this signature.
    std::optional<std::array<std::uint8_t, 3>> signature;
    bool locked = false;     // lock bits fully programmed at start
    bool stayLocked = false; // chip erase does not clear the lock bits
    bool externalClock =
        false; // a clock source is fed to the chip (else CKSEL "external clock" locks ISP out)
    std::optional<std::array<std::uint8_t, 4>> calibration; // calibration bytes; chip defaults otherwise
    TargetWiring wiring;

    FirmwareState firmware = FirmwareState::Running;
    std::string firmwareVersion = "M01"; // ShortVersion reply, exactly 3 characters
    std::string loaderVersion = "ldr";   // ShortVersion reply of the loader
    std::string versionText = "Tovel-U 10.01 (simulated)";
    std::string loaderText = "Bootloader 1.0 (simulated)";
    std::string uploadedVersion = "M01"; // ShortVersion after a complete firmware upload
    std::array<std::uint8_t, 5> serialNumber{0x54, 0x56, 0x00, 0x10, 0x01};

    TimingOptions timing;
    std::vector<Fault> faults; // armed at start, counted from the first reply

    std::string stateFile; // chip memories kept here between runs ("" = none)
    std::string logFile;   // byte log written here ("" = none)
    std::string linkPath;  // pty host: symlink to the slave ("" = none)
    // Not empty: the board answers as this recorded trace did, whatever the options above say.
    std::vector<LoggedByte> replay;
};

} // namespace tovel::sim
