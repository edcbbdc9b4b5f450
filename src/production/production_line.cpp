#include "production/production_line.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <thread>

#include "devices/device_table.h"
#include "image/memory_buffer.h"
#include "production/chip_probe.h"
#include "production/job_copy.h"
#include "project/project.h"
#include "workbench/workbench.h"

namespace tovel {

namespace {

using SteadyClock = std::chrono::steady_clock;

// How often the hands-free loop looks for a chip being put in or taken out.
constexpr auto kPollInterval = std::chrono::milliseconds(500);

std::string localTimeText() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[40];
    return std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S%z", &local) > 0 ? text : "";
}

std::int64_t millisecondsSince(SteadyClock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - start).count();
}

std::string hexText(std::span<const std::uint8_t> bytes) {
    std::string text;
    char byte[3];
    for (const std::uint8_t b : bytes) {
        std::snprintf(byte, sizeof byte, "%02X", b);
        text += byte;
    }
    return text;
}

// The counter's bytes as hex digits, as the production log has always shown them.
std::string counterHex(const MemoryBuffer& buffer, std::uint32_t address) {
    const std::size_t width = counterWidth(buffer, address);
    if (width == 0) return {};
    const std::size_t last = std::min<std::size_t>(address, buffer.size() - 1);
    return hexText(buffer.data().subspan(last + 1 - width, width));
}

} // namespace

ProductionLine::ProductionLine(Workbench& job, SerialAllocator* store, std::vector<ProductionBoard> boards,
                               Hooks hooks, const StopRequest* interrupted)
    : job_(job), store_(store), boards_(std::move(boards)), tallies_(boards_.size()),
      hooks_(std::move(hooks)), interrupted_(interrupted), claims_(serialClaims(job)) {}

bool ProductionLine::stopping() const {
    return stopRequested_ || (interrupted_ != nullptr && interrupted_->requested());
}

void ProductionLine::stop() {
    {
        std::lock_guard lock(stopMutex_);
        stopRequested_ = true;
    }
    stopSignal_.notify_all();
}

void ProductionLine::stopLine(const std::string& why) {
    {
        std::lock_guard lock(stopMutex_);
        if (stopReason_.empty()) stopReason_ = why;
    }
    stop();
}

std::string ProductionLine::stopReason() const {
    std::lock_guard lock(stopMutex_);
    return stopReason_;
}

void ProductionLine::setStage(std::size_t board, BoardStage stage) {
    if (hooks_.stageChanged) hooks_.stageChanged(board, stage);
}

void ProductionLine::forEveryBoard(const std::function<void(std::size_t board)>& work) {
    std::vector<std::thread> threads;
    for (std::size_t k = 0; k < boards_.size(); ++k)
        threads.emplace_back([this, &work, k] {
            const SteadyClock::time_point start = SteadyClock::now();
            work(k);
            tallies_[k].milliseconds += millisecondsSince(start);
        });
    for (std::thread& thread : threads) thread.join();
}

void ProductionLine::runRound() {
    forEveryBoard([this](std::size_t k) { programChip(k, probe(k)); });
}

void ProductionLine::runHandsFree() {
    forEveryBoard([this](std::size_t k) {
        handsFree(k);
        setStage(k, BoardStage::Stopped);
    });
}

std::optional<Signature> ProductionLine::probe(std::size_t board) {
    ProductionBoard& place = boards_[board];
    Workbench& workbench = *place.workbench;
    if (place.mute) place.mute(true);
    BoardTally& tally = tallies_[board];
    if (tally.boardSerial.empty()) {
        std::optional<SerialNumber> serial;
        std::string text;
        if (workbench.session().readBoardVersion(workbench.comPort(), &text, &serial, false) && serial)
            tally.boardSerial = hexText(*serial);
    }
    const std::optional<Signature> signature = probeChip(workbench);
    if (place.mute) place.mute(false);
    return signature;
}

bool ProductionLine::waitForChip(std::size_t board, bool present, std::optional<Signature>& signature) {
    for (;;) {
        if (stopping()) return false;
        signature = probe(board);
        if (signature.has_value() == present) return true;
        std::unique_lock lock(stopMutex_);
        if (stopSignal_.wait_for(lock, kPollInterval, [this] { return stopping(); })) return false;
    }
}

void ProductionLine::handsFree(std::size_t board) {
    std::optional<Signature> signature;
    while (!stopping()) {
        setStage(board, BoardStage::WaitingForChip);
        if (!waitForChip(board, true, signature)) return;
        if (hooks_.chipInserted) hooks_.chipInserted(board, signatureText(*signature));
        programChip(board, signature);
        if (!waitForChip(board, false, signature)) return;
    }
}

void ProductionLine::programChip(std::size_t board, const std::optional<Signature>& signature) {
    if (stopping()) return;
    Workbench& workbench = *boards_[board].workbench;
    BoardTally& tally = tallies_[board];
    const Project& project = job_.project();
    const SteadyClock::time_point start = SteadyClock::now();
    setStage(board, BoardStage::Programming);

    ChipRecord chip;
    chip.startedAt = localTimeText();
    chip.port = boards_[board].label;
    chip.boardSerial = tally.boardSerial;
    chip.device = DeviceTable::device(workbench.deviceNo()).name;
    if (signature) chip.signature = signatureText(*signature);
    tally.signature = chip.signature;

    // The numbers are spent (committed) before the chip sees them. Without a store every board
    // would program the job's own counter: no chip goes on.
    if (!claims_.empty() && (store_ == nullptr || !store_->allocate(claims_, chip))) {
        const std::string error = store_ != nullptr ? store_->lastError() : std::string("no store");
        stopLine(hooks_.storeFailureText ? hooks_.storeFailureText(error) : error);
        if (!tally.firstFailure) tally.firstFailure = -1;
        setStage(board, BoardStage::Failed);
        return;
    }
    stampSerials(job_, workbench, chip);
    const std::string flashCounter =
        project.autoIncrementFlash ? counterHex(workbench.buffer(Memory::Flash), project.autoIncAddressFlash)
                                   : "";
    const std::string eepromCounter =
        project.autoIncrementEeprom
            ? counterHex(workbench.buffer(Memory::Eeprom), project.autoIncAddressEeprom)
            : "";

    if (hooks_.beforeRun) hooks_.beforeRun(board);
    const Outcome outcome = workbench.runUnattendedAutoProgram();
    const bool runOk = workbench.autoProgramOk();
    // The verdict comes from the run's own result; the judge may only make it stricter.
    ChipVerdict judged = hooks_.judge ? hooks_.judge(board, runOk, outcome) : ChipVerdict{runOk ? 0 : -1, {}};
    const int verdict = !runOk && judged.code == 0 ? -1 : judged.code;
    chip.status = judged.status;

    chip.result = verdict == 0 ? ChipResult::Passed : ChipResult::Failed;
    chip.exitCode = verdict;
    chip.durationMs = millisecondsSince(start);
    ++tally.chips;
    tally.serial = serialNumberText(chip);
    if (chip.result == ChipResult::Passed)
        ++tally.passed;
    else if (!tally.firstFailure)
        tally.firstFailure = verdict;

    if (store_ != nullptr && chip.id != 0 && !store_->finish(chip))
        stopLine(hooks_.storeFailureText ? hooks_.storeFailureText(store_->lastError())
                                         : store_->lastError());
    if (chip.result == ChipResult::Passed && !claims_.empty() && hooks_.advanceJobCounters) {
        std::lock_guard lock(jobMutex_);
        advanceJobCounters(job_, chip);
    }
    if (hooks_.chipDone)
        if (const std::optional<std::string> why = hooks_.chipDone(board, chip, flashCounter, eepromCounter))
            stopLine(*why);
    setStage(board, chip.result == ChipResult::Passed ? BoardStage::Passed : BoardStage::Failed);
}

} // namespace tovel
