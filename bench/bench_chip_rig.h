// The program's side of a transfer bench: serial channel, session, project and buffers wired to
// a simulated board on port 1, with a front end that shows nothing and hands every operation to
// `runHook`, so that a bench times exactly the worker's run.
#pragma once

#include <cstdint>
#include <cstdio>
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
#include "project/project.h"
#include "project/settings_file.h"

namespace tovel::bench {

// Image bytes that are never 0xFF, so that no page is skipped as blank.
inline std::vector<std::uint8_t> pattern(std::size_t size, std::uint32_t seed) {
    std::vector<std::uint8_t> bytes(size);
    for (auto& b : bytes) {
        seed = seed * 1103515245u + 12345u;
        b = static_cast<std::uint8_t>((seed >> 16) % 0xFF);
    }
    return bytes;
}

// Shows nothing; keeps the last status line and counts boxes and questions (each is printed to
// stderr, since a bench run should have none).
class QuietUi final : public UserInterface {
public:
    std::function<Outcome(OperationRunner&)> runHook;
    std::string lastStatus;
    int boxes = 0;

    void setStatus(const std::string& text) override { lastStatus = text; }
    void showInfo(const std::string& text) override { box(text); }
    void showPlain(const std::string& text) override { box(text); }
    void showBox(const std::string&, const std::string& text, BoxIcon) override { box(text); }
    Answer ask(const Question& question) override {
        box(question.text);
        return Answer::No;
    }
    void setBusy(bool) override {}
    Outcome runModal(OperationRunner& runner) override { return runHook(runner); }
    std::optional<std::string> chooseFile(const FileChoice&) override { return std::nullopt; }

private:
    void box(const std::string& text) {
        ++boxes;
        std::fprintf(stderr, "box: %s\n", text.c_str());
    }
};

struct ChipRig {
    ChipRig(const std::string& slavePath, const char* device) {
        ports.setOverride(1, slavePath);
        project.deviceIndex = DeviceTable::findByName(device);
        settings.comPort = 1;
        settings.baudIndex = Baud921600;
    }
    ChipRig(const ChipRig&) = delete;
    ChipRig& operator=(const ChipRig&) = delete;

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

} // namespace tovel::bench
