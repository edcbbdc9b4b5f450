// The reporter for a person at a terminal (or a log that a person reads).
#pragma once

#include <chrono>
#include <mutex>
#include <ostream>

#include "cli/reporter.h"

namespace tovel::cli {

class TextReporter final : public Reporter {
public:
    // `terminal`: standard output is a terminal of `width` columns, so progress is drawn as a bar
    // redrawn in place; otherwise each tenth percent is a line of its own.
    TextReporter(std::ostream& out, std::ostream& err, bool terminal, int width);

    void status(const std::string& text) override;
    void box(const std::string& caption, const std::string& text, BoxIcon icon) override;
    void question(const std::string& caption, const std::string& text, Answer answer,
                  const std::string& answerWord) override;
    void progress(const ProgressStep& step) override;
    void progressEnd() override;
    void record(const JsonLine& json, const std::string& text) override;
    void heading(const std::string& text) override { record(JsonLine(), text); }
    void note(const std::string& type, const std::string& text) override;
    void result(const JsonLine& json, const std::string& failureText) override;

private:
    void endBar(); // with the mutex held
    std::string barLine(const ProgressStep& step) const;

    std::mutex mutex_;
    std::ostream& out_;
    std::ostream& err_;
    const bool terminal_;
    const int width_;
    bool barShown_ = false;
    int lastPlainPercent_ = 0;
    std::chrono::steady_clock::time_point started_{};
};

// The number of columns `text` takes (UTF-8 code points).
std::size_t displayWidth(const std::string& text);

} // namespace tovel::cli
