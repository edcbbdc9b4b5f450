// A progress display for tests: records every update of a running operation, in call order, as
// text ("title Update", "text Updating firmware version", "percent 1% completed", "bar 1",
// "cancel hidden"), and can run operations for a RecordingUi through the headless host.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "board/headless_runner_host.h"
#include "board/progress_observer.h"
#include "support/recording_ui.h"

namespace tovel::test {

class RecordingProgress final : public ProgressObserver {
public:
    void setTitle(const std::string& title) override { add("title " + title); }
    void setText(const std::string& text) override { add("text " + text); }
    void setPercentText(const std::string& text) override { add("percent " + text); }
    void setBar(int percent) override { add("bar " + std::to_string(percent)); }
    void setCancelVisible(bool visible) override { add(visible ? "cancel shown" : "cancel hidden"); }

    std::vector<std::string> events() const {
        std::lock_guard lock(mutex_);
        return events_;
    }
    void clear() {
        std::lock_guard lock(mutex_);
        events_.clear();
    }

private:
    void add(std::string event) {
        std::lock_guard lock(mutex_);
        events_.push_back(std::move(event));
    }

    mutable std::mutex mutex_;
    std::vector<std::string> events_;
};

// Hosts the operations a RecordingUi is asked to run, as the command line does.
class HeadlessRunning {
public:
    explicit HeadlessRunning(RecordingUi& ui) {
        ui.runHook = [this](OperationRunner& runner) { return host.runModal(runner); };
    }
    HeadlessRunning(const HeadlessRunning&) = delete;
    HeadlessRunning& operator=(const HeadlessRunning&) = delete;

    RecordingProgress progress;
    HeadlessRunnerHost host{&progress};
};

} // namespace tovel::test
