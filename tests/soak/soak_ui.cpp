#include "soak/soak_ui.h"

#include "board/operation_runner.h"

namespace tovel::soak {

void SoakUi::setStatus(const std::string& text) {
    std::lock_guard lock(mutex_);
    statuses_.push_back(text);
    transcript_.push_back(text);
}

void SoakUi::box(const std::string& text) {
    std::lock_guard lock(mutex_);
    boxes_.push_back(text);
    transcript_.push_back("box: " + text);
}

Answer SoakUi::ask(const Question& question) {
    ++questions_;
    const bool yes = yes_();
    {
        std::lock_guard lock(mutex_);
        transcript_.push_back("question: " + question.text + (yes ? " -> yes" : " -> no"));
    }
    if (question.buttons == Buttons::OkCancel) return yes ? Answer::Ok : Answer::Cancel;
    return yes ? Answer::Yes : Answer::No;
}

Outcome SoakUi::runModal(OperationRunner& runner) {
    if (!runner.launch()) return OperationRunner::kNotStartedResult;
    runner.join();
    return runner.result();
}

std::vector<std::string> SoakUi::statuses() const {
    std::lock_guard lock(mutex_);
    return statuses_;
}

std::vector<std::string> SoakUi::transcript() const {
    std::lock_guard lock(mutex_);
    return transcript_;
}

std::vector<std::string> SoakUi::boxes() const {
    std::lock_guard lock(mutex_);
    return boxes_;
}

std::string SoakUi::lastStatus() const {
    std::lock_guard lock(mutex_);
    return statuses_.empty() ? std::string() : statuses_.back();
}

} // namespace tovel::soak
