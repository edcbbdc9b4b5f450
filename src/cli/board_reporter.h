// The reporter of one board of a gang run: everything the board's Workbench says goes to the
// run's shared reporter, as text led by "[PORT] " or as JSON with a "port" field, so that the
// boards' lines can be told apart however they interleave. While `muted` (the signature polls of
// the hands-free loop) nothing is passed on.
#pragma once

#include <atomic>
#include <string>

#include "cli/gang_progress.h"
#include "cli/reporter.h"

namespace tovel::cli {

class BoardReporter final : public Reporter {
public:
    // `progress`: the shared bar line on a terminal, or null (plain lines, or JSON).
    BoardReporter(Reporter& shared, bool json, std::string label, std::size_t index, GangProgress* progress);

    void setMuted(bool muted) { muted_ = muted; }
    const std::string& label() const { return label_; }

    void status(const std::string& text) override;
    void box(const std::string& caption, const std::string& text, BoxIcon icon) override;
    void question(const std::string& caption, const std::string& text, Answer answer,
                  const std::string& answerWord) override;
    void progress(const ProgressStep& step) override;
    void progressEnd() override;
    void record(const JsonLine& json, const std::string& text) override;
    void heading(const std::string& text) override;
    void note(const std::string& type, const std::string& text) override;
    void result(const JsonLine& json, const std::string& failureText) override;

private:
    JsonLine event(const char* type) const;
    std::string prefixed(const std::string& text) const { return "[" + label_ + "] " + text; }

    Reporter& shared_;
    const bool json_;
    const std::string label_;
    const std::size_t index_;
    GangProgress* const progress_;
    std::atomic<bool> muted_{false};
};

} // namespace tovel::cli
