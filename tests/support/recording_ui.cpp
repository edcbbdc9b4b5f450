#include "support/recording_ui.h"

#include "board/operation_runner.h"

namespace tovel::test {

void RecordingUi::record(UiEvent event) {
    std::lock_guard lock(mutex_);
    events_.push_back(std::move(event));
}

void RecordingUi::setStatus(const std::string& text) { record({UiEvent::Status, "", text}); }
void RecordingUi::showInfo(const std::string& text) { record({UiEvent::Info, "", text}); }
void RecordingUi::showPlain(const std::string& text) { record({UiEvent::Plain, "", text}); }
void RecordingUi::showBox(const std::string& caption, const std::string& text, BoxIcon) {
    record({UiEvent::Box, caption, text});
}

void RecordingUi::showDetail(const std::string& text) { record({UiEvent::Detail, {}, text}); }

std::vector<std::string> RecordingUi::details() const {
    std::vector<std::string> out;
    for (const UiEvent& e : events())
        if (e.kind == UiEvent::Detail) out.push_back(e.text);
    return out;
}

Answer RecordingUi::ask(const tovel::Question& question) {
    Answer answer = defaultAnswer;
    {
        std::lock_guard lock(mutex_);
        if (!answers_.empty()) {
            answer = answers_.front();
            answers_.pop_front();
        }
    }
    record({UiEvent::Question, question.caption, question.text, answer});
    return answer;
}

void RecordingUi::setBusy(bool busy) { busy_ = busy; }

Outcome RecordingUi::runModal(OperationRunner& runner) {
    // Without a host the worker cannot start: the same outcome a failed thread creation gives.
    return runHook ? runHook(runner) : OperationRunner::kNotStartedResult;
}

std::optional<std::string> RecordingUi::chooseFile(const tovel::FileChoice& choice) {
    std::optional<std::string> path;
    {
        std::lock_guard lock(mutex_);
        if (!files_.empty()) {
            path = files_.front();
            files_.pop_front();
        }
    }
    record({UiEvent::FileChoice, choice.title, path.value_or("")});
    return path;
}

std::vector<UiEvent> RecordingUi::events() const {
    std::lock_guard lock(mutex_);
    return events_;
}

std::vector<std::string> RecordingUi::statuses() const {
    std::vector<std::string> out;
    for (const UiEvent& e : events())
        if (e.kind == UiEvent::Status) out.push_back(e.text);
    return out;
}

std::vector<std::string> RecordingUi::boxes() const {
    std::vector<std::string> out;
    for (const UiEvent& e : events())
        if (e.kind == UiEvent::Info || e.kind == UiEvent::Plain || e.kind == UiEvent::Box)
            out.push_back(e.text);
    return out;
}

std::vector<std::string> RecordingUi::questions() const {
    std::vector<std::string> out;
    for (const UiEvent& e : events())
        if (e.kind == UiEvent::Question) out.push_back(e.text);
    return out;
}

std::string RecordingUi::lastStatus() const {
    const std::vector<std::string> all = statuses();
    return all.empty() ? std::string() : all.back();
}

void RecordingUi::clear() {
    std::lock_guard lock(mutex_);
    events_.clear();
}

} // namespace tovel::test
