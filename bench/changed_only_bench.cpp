// "Write only changed data" against a full write, on the simulated board with its timing model
// and a reply latency of 1 ms (a USB-serial adapter), at 921600 baud:
//   - an ATmega128 EEPROM (4 KiB) rewritten with 4 bytes changed: target at least 20 x faster;
//   - an AT45DB642 image with 1 % of its pages changed: target at least 2 x faster. DataFlash
//     runs at the board's fastest SCK (0.25 us): at slower clocks the SPI time of reading a page
//     nears that of writing it, and no comparison can gain much (at 4 us it is about 1.9 x).
// Each run starts from the same chip contents and is timed from the worker's start to its end;
// afterwards the chip must hold the image. Prints a table; exits with 1 when a run is wrong or
// a target is missed.
//
//   build/bench/tovel_changed_only_bench [AT45 pages, default 1024; 8192 is the whole chip]
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "bench_chip_rig.h"
#include "board/board_session.h"
#include "board/operation_runner.h"
#include "board/port_map.h"
#include "board/posix_serial_channel.h"
#include "devices/device_table.h"
#include "image/memory_buffer.h"
#include "ops/chip_context.h"
#include "ops/memory_programming.h"
#include "project/project.h"
#include "sim/pty_board_host.h"

using namespace tovel;

namespace {

using Bytes = std::vector<std::uint8_t>;

using bench::pattern;

// A simulated board with its timing model and a 1 ms reply latency, and the program's side.
struct Bench {
    explicit Bench(const char* device) : host(hostOptions(device)), rig(host.slavePath(), device) {
        rig.ui.runHook = [this](OperationRunner& runner) {
            const auto start = std::chrono::steady_clock::now();
            if (!runner.launch()) return OperationRunner::kNotStartedResult;
            runner.join();
            lastSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            return runner.result();
        };
    }

    static sim::SimOptions hostOptions(const char* device) {
        sim::SimOptions options;
        options.device = device;
        options.timing.enabled = true;
        options.timing.replyLatencyUs = 1000;
        return options;
    }

    sim::PtyBoardHost host;
    bench::ChipRig rig;
    double lastSeconds = 0;
};

void fill(MemoryBuffer& buffer, const Bytes& bytes) {
    buffer.create(bytes.size());
    std::copy(bytes.begin(), bytes.end(), buffer.data().begin());
}

struct Row {
    std::string name;
    double full = 0;
    double changedOnly = 0;
    double target = 0;
    bool correct = false;
};

// Times a full write and a changed-only write of `image` over a chip that holds `before`.
Row compare(const std::string& name, const char* device, bool eepromRun, const Bytes& before,
            const Bytes& image, double target, int sckPeriodIndex) {
    Bench bench(device);
    bench.rig.project.sckPeriodIndex = sckPeriodIndex;
    Row row{name, 0, 0, target, bench.host.ok()};
    if (!row.correct) return row;
    MemoryBuffer& buffer = eepromRun ? bench.rig.eeprom : bench.rig.flash;
    const auto load = [&] { eepromRun ? bench.host.setEeprom(0, before) : bench.host.setFlash(0, before); };
    const auto holdsImage = [&] {
        const Bytes chip = eepromRun ? bench.host.eeprom() : bench.host.flash();
        return chip.size() >= image.size() && std::equal(image.begin(), image.end(), chip.begin());
    };
    for (const bool changedOnly : {false, true}) {
        load();
        fill(buffer, image);
        bench.rig.project.writeChangedOnly = changedOnly;
        bench.rig.state.operationStatus = Outcome::Failed;
        eepromRun ? programEeprom(bench.rig.context) : programFlash(bench.rig.context);
        (changedOnly ? row.changedOnly : row.full) = bench.lastSeconds;
        row.correct = row.correct && bench.rig.state.operationStatus == Outcome::Ok && holdsImage() &&
                      bench.rig.ui.boxes == 0;
    }
    return row;
}

} // namespace

int main(int argc, char** argv) {
    const std::size_t at45Pages = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 1024;
    std::vector<Row> rows;

    {
        const Bytes before = pattern(4096, 3);
        Bytes image = before;
        for (const std::size_t at : {0u, 1u, 2u, 3u}) image[at] ^= 0x5A; // a 4-byte serial number
        rows.push_back(compare("ATmega128 EEPROM 4 KiB, 4 bytes changed", "ATmega128", true, before, image,
                               20, kStartSckPeriodIndex));
    }
    {
        constexpr std::size_t kPage = 1056;
        const Bytes before = pattern(at45Pages * kPage, 5);
        Bytes image = before;
        for (std::size_t page = 0; page < at45Pages; page += 100) image[page * kPage + 7] ^= 0x01;
        char name[96];
        std::snprintf(name, sizeof name, "AT45DB642 %zu pages, 1 %% changed", at45Pages);
        rows.push_back(compare(name, "AT45DB642", false, before, image, 2, 0));
    }

    bool ok = true;
    std::printf("%-44s %10s %14s %8s %8s\n", "run (921600 baud, 1 ms reply latency)", "full s",
                "changed-only s", "ratio", "target");
    for (const Row& row : rows) {
        const double ratio = row.changedOnly > 0 ? row.full / row.changedOnly : 0;
        const bool met = row.correct && ratio >= row.target;
        ok = ok && met;
        std::printf("%-44s %10.2f %14.2f %7.1fx %7.0fx %s\n", row.name.c_str(), row.full, row.changedOnly,
                    ratio, row.target, met ? "ok" : (row.correct ? "SLOW" : "WRONG"));
    }
    return ok ? 0 : 1;
}
