// The person-facing interface of one board of the production window. Its board runs on a thread
// of its own, so nothing here touches a widget: texts and progress go to callbacks that the
// window posts to its own thread. Questions get their safe default answer (no one is asked in
// mid-line), long operations run without a progress window.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>

#include "board/headless_runner_host.h"
#include "board/progress_observer.h"
#include "core/user_interface.h"

namespace tovel::app {

class ProductionBoardUi final : public UserInterface, private ProgressObserver {
public:
    using TextSink = std::function<void(const std::string& text)>;
    using PercentSink = std::function<void(int percent)>;

    ProductionBoardUi(TextSink status, PercentSink progress);

    void setMuted(bool muted) { muted_ = muted; }
    void cancel() { host_.requestCancel(); }
    // The last status text (the run's result text after auto-program).
    std::string lastStatus() const;

    void setStatus(const std::string& text) override;
    void showInfo(const std::string& text) override { setStatus(text); }
    void showPlain(const std::string& text) override { setStatus(text); }
    void showBox(const std::string& /*caption*/, const std::string& text, BoxIcon /*icon*/) override {
        setStatus(text);
    }
    Answer ask(const Question& question) override;
    void setBusy(bool /*busy*/) override {}
    Outcome runModal(OperationRunner& runner) override;
    std::optional<std::string> chooseFile(const FileChoice& /*choice*/) override { return std::nullopt; }

private:
    // ProgressObserver
    void setTitle(const std::string& /*title*/) override {}
    void setText(const std::string& /*text*/) override {}
    void setPercentText(const std::string& /*text*/) override {}
    void setBar(int percent) override;
    void setCancelVisible(bool /*visible*/) override {}

    TextSink status_;
    PercentSink progress_;
    HeadlessRunnerHost host_;
    std::atomic<bool> muted_{false};
    mutable std::mutex mutex_;
    std::string lastStatus_;
};

} // namespace tovel::app
