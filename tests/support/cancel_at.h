// A progress display that presses Cancel once a run has come far enough, and keeps the titles
// and texts the run showed. Shared by every bench that runs workers behind a progress host.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "board/operation_runner.h"
#include "board/progress_observer.h"

namespace tovel::test {

class CancelAt final : public ProgressObserver {
public:
    // Cancel when the bar reaches `percent`; 0 cancels as the run starts, -1 (the default) never.
    void arm(int percent) { percent_ = percent; }
    // The run the bench is about to start, or nullptr once it is over.
    void running(OperationRunner* runner) { runner_ = runner; }
    // Titles and texts in the order they were shown.
    std::vector<std::string> seen() const;

    void setTitle(const std::string& title) override;
    void setText(const std::string& text) override;
    void setPercentText(const std::string&) override {}
    void setBar(int percent) override;
    void setCancelVisible(bool) override {}

private:
    void cancel();

    int percent_ = -1;
    OperationRunner* runner_ = nullptr;
    mutable std::mutex mutex_;
    std::vector<std::string> seen_;
};

} // namespace tovel::test
