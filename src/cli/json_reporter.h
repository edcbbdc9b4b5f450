// The reporter for scripts (--json): one JSON object a line on standard output, flushed at once,
// for every status text, box, question, progress step, record and the final result.
#pragma once

#include <mutex>
#include <ostream>

#include "cli/reporter.h"

namespace tovel::cli {

class JsonReporter final : public Reporter {
public:
    explicit JsonReporter(std::ostream& out) : out_(out) {}

    void status(const std::string& text) override;
    void box(const std::string& caption, const std::string& text, BoxIcon icon) override;
    void question(const std::string& caption, const std::string& text, Answer answer,
                  const std::string& answerWord) override;
    void progress(const ProgressStep& step) override;
    void progressEnd() override {}
    void record(const JsonLine& json, const std::string& text) override;
    void heading(const std::string& /*text*/) override {}
    void note(const std::string& type, const std::string& text) override;
    void result(const JsonLine& json, const std::string& failureText) override;

private:
    void write(const JsonLine& line);

    std::mutex mutex_;
    std::ostream& out_;
};

} // namespace tovel::cli
