// tovel-fault-soak: auto-program runs against the simulated board with random faults on the line
// and in the socket, over every transfer path, checked run by run (see soak_run.h).
//
//   tovel_fault_soak [RUNS] [--seed S] [--first I] [--timeout-ms T] [--keep-files] [--verbose] [--trace]
//
// The seed is printed first; a failed run prints the command that replays it alone.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <unistd.h>

#include "core/clock.h"
#include "soak/soak_tally.h"
#include "soak/watchdog.h"

namespace {

using namespace tovel;
using namespace tovel::soak;

struct Arguments {
    int runs = 1000;
    int first = 0;
    std::uint64_t seed = 0;
    bool seedGiven = false;
    SoakSettings settings;
    bool verbose = false;
};

bool parseNumber(const char* text, std::uint64_t& value) {
    char* end = nullptr;
    value = std::strtoull(text, &end, 0);
    return end != text && *end == '\0';
}

bool parseArguments(int argc, char** argv, Arguments& args) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        std::uint64_t n = 0;
        auto value = [&]() { return i + 1 < argc && parseNumber(argv[++i], n); };
        if (a == "--seed" && value()) {
            args.seed = n;
            args.seedGiven = true;
        } else if (a == "--first" && value()) {
            args.first = static_cast<int>(n);
        } else if (a == "--runs" && value()) {
            args.runs = static_cast<int>(n);
        } else if (a == "--timeout-ms" && value() && n >= 20) {
            args.settings.timeoutMs = static_cast<unsigned>(n);
        } else if (a == "--keep-files") {
            args.settings.keepFiles = true;
        } else if (a == "--trace") {
            args.settings.trace = true;
            args.verbose = true;
        } else if (a == "--verbose") {
            args.verbose = true;
        } else if (a[0] != '-' && parseNumber(a.c_str(), n)) {
            args.runs = static_cast<int>(n);
        } else {
            std::fprintf(stderr,
                         "usage: %s [RUNS] [--seed S] [--first I] [--timeout-ms T] [--keep-files] "
                         "[--verbose] [--trace]\n",
                         argv[0]);
            return false;
        }
    }
    return true;
}

// What a crash prints: the run that was going on. Filled before each run; read by the handler.
char crashNote[256] = "during calibration";

extern "C" void onCrash(int signal) {
    const char head[] = "\nCRASH in ";
    (void)!::write(STDERR_FILENO, head, sizeof head - 1);
    (void)!::write(STDERR_FILENO, crashNote, std::strlen(crashNote));
    (void)!::write(STDERR_FILENO, "\n", 1);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

std::string replayCommand(const Arguments& args, int index) {
    char text[200];
    std::snprintf(text, sizeof text, "tools/soak.sh --seed 0x%llx --first %d --runs 1 --timeout-ms %u",
                  static_cast<unsigned long long>(args.seed), index, args.settings.timeoutMs);
    return text;
}

void describeRun(const RunDraw& draw, const RunRecord& record) {
    std::printf("run %d %s: flash %zu%s eeprom %zu%s baud %d%s%s faults:", draw.index, draw.path.device,
                draw.flashImage.size(), draw.flashAsHex ? " hex" : " bin", draw.eepromImage.size(),
                draw.eepromAsHex ? " hex" : " bin", draw.baudIndex, draw.checkSignature ? " sigcheck" : "",
                draw.reload ? " reload" : "");
    for (const PlannedFault& fault : draw.faults.planned)
        std::printf(" [%s @%d]", faultTypeName(fault.type), fault.nth);
    if (draw.faults.planned.empty()) std::printf(" none");
    std::printf("\n  -> \"%s\"%s, chip %s, %d silent reads (budget %d), %llu ms (bound %llu), %d replies\n",
                record.finalStatus.c_str(), record.reportedSuccess ? " (success)" : "",
                record.chipHoldsImage ? "holds the image" : "differs", record.silentReads,
                record.silentReadBudget, static_cast<unsigned long long>(record.elapsedMs),
                static_cast<unsigned long long>(record.boundMs), record.replies);
    for (const std::string& text : record.texts) std::printf("     | %s\n", text.c_str());
}

struct PathCalibration {
    ReplyRange replies;
    std::uint64_t processingMs = 0;
};

// Clean runs with the smallest and the largest images: they must succeed, and they tell how many
// replies a run takes and how long its work lasts without faults.
bool calibrate(const TransferPath& path, const SoakSettings& settings, Watchdog& watchdog,
               PathCalibration& out) {
    std::uint64_t slowest = 0;
    int replies[2] = {0, 0};
    for (int large = 0; large < 2; ++large) {
        const std::size_t size = large != 0 ? 1u << 20 : 1;
        RunDraw draw = cleanRun(path, size, size);
        draw.index = -1 - large;
        const RunRecord record = executeRun(draw, settings, 60000, watchdog);
        if (!record.violations.empty() || !record.reportedSuccess) {
            std::printf("calibration of %s failed:\n", path.device);
            describeRun(draw, record);
            for (const std::string& v : record.violations) std::printf("  RULE BROKEN: %s\n", v.c_str());
            return false;
        }
        replies[large] = record.replies;
        slowest = std::max(slowest, record.elapsedMs);
    }
    out.replies = {replies[0], replies[1]};
    // Generous, since the machine may be shared and a loaded one slows every exchange: this part
    // of the bound is about hangs and runaway loops; the silences are held to their budget apart.
    out.processingMs = 4000 + 5 * slowest + 15 * static_cast<std::uint64_t>(replies[1]);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    Arguments args;
    if (!parseArguments(argc, argv, args)) return 2;
    if (!args.seedGiven) args.seed = (std::uint64_t{std::random_device{}()} << 32) | std::random_device{}();
    std::signal(SIGSEGV, onCrash);
    std::signal(SIGABRT, onCrash);
    std::signal(SIGBUS, onCrash);
    std::signal(SIGFPE, onCrash);
    std::printf("fault soak: seed 0x%llx, runs %d..%d, channel time-out %u ms\n",
                static_cast<unsigned long long>(args.seed), args.first, args.first + args.runs - 1,
                args.settings.timeoutMs);
    std::fflush(stdout);

    Watchdog watchdog;
    const std::vector<TransferPath>& paths = transferPaths();
    std::vector<PathCalibration> calibration(paths.size());
    const std::uint64_t start = systemClock().tickMs();
    for (std::size_t p = 0; p < paths.size(); ++p)
        if (!calibrate(paths[p], args.settings, watchdog, calibration[p])) return 1;

    SoakTally tally;
    for (int index = args.first; index < args.first + args.runs; ++index) {
        const std::size_t p = static_cast<std::size_t>(index) % paths.size();
        const RunDraw draw = drawRun(index, runSeed(args.seed, static_cast<std::uint64_t>(index)), paths[p],
                                     calibration[p].replies, args.settings.timeoutMs);
        std::snprintf(crashNote, sizeof crashNote, "run %d (%s); replay: %s", index, paths[p].device,
                      replayCommand(args, index).c_str());
        const RunRecord record = executeRun(draw, args.settings, calibration[p].processingMs, watchdog);
        tally.add(draw, record);
        if (args.verbose || !record.violations.empty()) describeRun(draw, record);
        for (const std::string& v : record.violations) std::printf("  RULE BROKEN: %s\n", v.c_str());
        if (!record.violations.empty()) std::printf("  replay: %s\n", replayCommand(args, index).c_str());
        if (!args.verbose && (index - args.first + 1) % 50 == 0) {
            std::printf("... %d runs\n", index - args.first + 1);
        }
        std::fflush(stdout);
    }
    tally.print(stdout, (systemClock().tickMs() - start) / 1000);
    return tally.failedRuns() == 0 ? 0 : 1;
}
