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

Bytes pattern(std::size_t size, std::uint32_t seed) {
    Bytes bytes(size);
    for (auto& b : bytes) {
        seed = seed * 1103515245u + 12345u;
        b = static_cast<std::uint8_t>((seed >> 16) % 0xFF);
    }
    return bytes;
}

class QuietUi final : public UserInterface {
public:
    double lastSeconds = 0;
    int boxes = 0;

    void setStatus(const std::string&) override {}
    void showInfo(const std::string& text) override { box(text); }
    void showPlain(const std::string& text) override { box(text); }
    void showBox(const std::string&, const std::string& text, BoxIcon) override { box(text); }
    Answer ask(const Question& question) override {
        box(question.text);
        return Answer::No;
    }
    void setBusy(bool) override {}
    Outcome runModal(OperationRunner& runner) override {
        const auto start = std::chrono::steady_clock::now();
        if (!runner.launch()) return OperationRunner::kNotStartedResult;
        runner.join();
        lastSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        return runner.result();
    }
    std::optional<std::string> chooseFile(const FileChoice&) override { return std::nullopt; }

private:
    void box(const std::string& text) {
        ++boxes;
        std::fprintf(stderr, "box: %s\n", text.c_str());
    }
};

struct Bench {
    explicit Bench(const char* device) {
        sim::SimOptions options;
        options.device = device;
        options.timing.enabled = true;
        options.timing.replyLatencyUs = 1000;
        host = std::make_unique<sim::PtyBoardHost>(options);
        ports.setOverride(1, host->slavePath());
        project.deviceIndex = DeviceTable::findByName(device);
        settings.comPort = 1;
        settings.baudIndex = Baud921600;
    }

    std::unique_ptr<sim::PtyBoardHost> host;
    PortMap ports;
    PosixSerialChannel channel{ports};
    QuietUi ui;
    Messages messages;
    BoardSession session{channel, ui, messages, systemClock()};
    Project project{ui, messages};
    MemoryBuffer flash{ui, messages, false};
    MemoryBuffer eeprom{ui, messages, true};
    AppSettings settings;
    OperationState state;
    ChipContext context{ui,     messages, systemClock(), session, project, flash,
                        eeprom, settings, state,         {},      {}};
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
    bench.project.sckPeriodIndex = sckPeriodIndex;
    Row row{name, 0, 0, target, bench.host->ok()};
    if (!row.correct) return row;
    MemoryBuffer& buffer = eepromRun ? bench.eeprom : bench.flash;
    const auto load = [&] { eepromRun ? bench.host->setEeprom(0, before) : bench.host->setFlash(0, before); };
    const auto holdsImage = [&] {
        const Bytes chip = eepromRun ? bench.host->eeprom() : bench.host->flash();
        return chip.size() >= image.size() && std::equal(image.begin(), image.end(), chip.begin());
    };
    for (const bool changedOnly : {false, true}) {
        load();
        fill(buffer, image);
        bench.project.writeChangedOnly = changedOnly;
        bench.state.operationStatus = Outcome::Failed;
        eepromRun ? programEeprom(bench.context) : programFlash(bench.context);
        (changedOnly ? row.changedOnly : row.full) = bench.ui.lastSeconds;
        row.correct =
            row.correct && bench.state.operationStatus == Outcome::Ok && holdsImage() && bench.ui.boxes == 0;
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
