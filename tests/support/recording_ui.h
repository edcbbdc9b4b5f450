// A person-facing interface for tests: records every status text, box and question in order,
// and answers questions and file choices from a script.
#pragma once

#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "core/user_interface.h"
#include "support/outcome_print.h"

namespace tovel::test {

struct UiEvent {
    enum Kind { Status, Info, Plain, Box, Question, Busy, Progress, FileChoice, Detail } kind;
    std::string caption; // box caption or question caption
    std::string text;
    Answer answer = Answer::No; // for questions: the answer given

    bool operator==(const UiEvent&) const = default;
};

class RecordingUi : public UserInterface {
public:
    void setStatus(const std::string& text) override;
    void showInfo(const std::string& text) override;
    void showPlain(const std::string& text) override;
    void showBox(const std::string& caption, const std::string& text, BoxIcon icon) override;
    Answer ask(const tovel::Question& question) override;
    void setBusy(bool busy) override;
    Outcome runModal(OperationRunner& runner) override;
    std::optional<std::string> chooseFile(const tovel::FileChoice& choice) override;
    void showDetail(const std::string& text) override;

    // Scripted answers, used in order; when the script is empty questions get `defaultAnswer`.
    void queueAnswer(Answer answer) { answers_.push_back(answer); }
    Answer defaultAnswer = Answer::No;
    void queueFile(std::optional<std::string> path) { files_.push_back(std::move(path)); }

    // How runModal runs an operation; set by the board-link tests to the headless runner host.
    std::function<Outcome(OperationRunner&)> runHook;

    std::vector<UiEvent> events() const;
    std::vector<std::string> statuses() const;  // the status texts in order
    std::vector<std::string> boxes() const;     // the texts of info/plain/other boxes in order
    std::vector<std::string> questions() const; // the question texts in order
    std::vector<std::string> details() const;   // the detail lines in order
    std::string lastStatus() const;
    bool busy() const { return busy_; }
    void clear();

private:
    void record(UiEvent event);

    mutable std::mutex mutex_; // workers may report from their own thread
    std::vector<UiEvent> events_;
    std::deque<Answer> answers_;
    std::deque<std::optional<std::string>> files_;
    bool busy_ = false;
};

} // namespace tovel::test
