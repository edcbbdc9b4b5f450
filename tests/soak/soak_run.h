// One soak run: a fresh simulated board with its faults armed, image files on disk, a Workbench
// over the real serial channel that loads them and runs auto-program (erase, program and verify
// of Flash and EEPROM), then the checks a person trusting the program would make:
//   - success is reported only when the chip holds the image;
//   - the run ends within the time the protocol's time-outs allow: at most `silentReadBudget`
//     read calls may meet a silence (each costs the channel's time-out), plus the delays and
//     stalls injected, plus what the path's clean run takes (with a wide margin, as the machine
//     may be shared); the silences are also counted and held to the budget on their own;
//   - the board is left idle at 19200 baud, out of programming mode, and the port closed;
//   - the image files on disk are unchanged.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "soak/fault_plan.h"

namespace tovel::soak {

class Watchdog;

// A chip and how large its images may be in a soak run (small, so runs are quick).
struct TransferPath {
    const char* device;
    const char* path; // the transfer path it exercises
    std::size_t maxFlash;
    std::size_t maxEeprom;
};
const std::vector<TransferPath>& transferPaths();

struct SoakSettings {
    unsigned timeoutMs = 200; // the serial channel's read time-out in this harness
    bool keepFiles = false;
    bool trace = false; // keep every status line and box of a run
};

// Everything drawn for a run, so that it can be replayed from its seed.
struct RunDraw {
    int index = 0;
    std::uint64_t seed = 0;
    TransferPath path{};
    std::vector<std::uint8_t> flashImage;
    std::vector<std::uint8_t> eepromImage;
    bool flashAsHex = false;
    bool eepromAsHex = false;
    bool reload = false;
    bool checkSignature = false;
    bool polling = false;
    int baudIndex = 0;
    int resetStrobeMs = 20;
    FaultPlan faults;
};

// How many board replies a clean run of a path takes: with the smallest images and the largest.
struct ReplyRange {
    int smallest = 1;
    int largest = 1;
};

// Draws run `index` under `seed`; its faults fall on the replies its clean form would take.
RunDraw drawRun(int index, std::uint64_t seed, const TransferPath& path, ReplyRange replies,
                unsigned timeoutMs);
// A run without faults, with images of the given sizes (for calibration).
RunDraw cleanRun(const TransferPath& path, std::size_t flashSize, std::size_t eepromSize);

struct RunRecord {
    std::string finalStatus;
    bool reportedSuccess = false;
    bool chipHoldsImage = false;
    int boxes = 0;
    int questions = 0;
    int replies = 0; // board replies that went out (exact for a clean run)
    int silentReads = 0;
    int silentReadBudget = 0;
    std::uint64_t elapsedMs = 0;
    std::uint64_t boundMs = 0;
    std::uint64_t pausedMs = 0;          // protocol pauses asked for (not slept)
    std::vector<std::string> violations; // empty: the run passed
    std::vector<std::string> texts;      // status lines and boxes ("box: ...") in order, with `trace`
};

// `processingMs`: what the run may take besides time-outs and injected delays.
RunRecord executeRun(const RunDraw& draw, const SoakSettings& settings, std::uint64_t processingMs,
                     Watchdog& watchdog);

// The silences a run may meet: every session can lose one read to an out-of-step drain and one
// to an unjudged reply while it opens, one that ends its work, and one while it recovers.
int silentReadBudget(const RunDraw& draw);

} // namespace tovel::soak
