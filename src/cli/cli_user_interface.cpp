#include "cli/cli_user_interface.h"

#include "cli/cli_texts.h"

namespace tovel::cli {

void ProgressDisplay::setTitle(const std::string& title) {
    step_ = ProgressStep{};
    step_.title = title;
    fresh_ = true;
}

void ProgressDisplay::setText(const std::string& text) { step_.text = text; }

void ProgressDisplay::setPercentText(const std::string& text) { step_.percentText = text; }

void ProgressDisplay::setBar(int percent) {
    step_.percent = percent;
    step_.first = fresh_;
    fresh_ = false;
    reporter_.progress(step_);
}

CliUserInterface::CliUserInterface(Reporter& reporter, std::optional<bool> answerYes, const StopRequest* stop)
    : reporter_(reporter), answerYes_(answerYes), progress_(reporter), host_(&progress_) {
    host_.watchStop(stop);
}

std::string CliUserInterface::boxCaption() const {
    return messages_ != nullptr ? messages_->text(msg::BoxCaption)
                                : message(msg::BoxCaption, Language::English);
}

void CliUserInterface::setStatus(const std::string& text) {
    {
        std::lock_guard lock(mutex_);
        lastStatus_ = text;
    }
    reporter_.status(text);
}

void CliUserInterface::showInfo(const std::string& text) {
    showBox(boxCaption(), text, BoxIcon::Information);
}

void CliUserInterface::showPlain(const std::string& text) { showBox(boxCaption(), text, BoxIcon::None); }

void CliUserInterface::showBox(const std::string& caption, const std::string& text, BoxIcon icon) {
    reporter_.box(caption, text, icon);
}

Answer CliUserInterface::ask(const Question& question) {
    const bool yes = answerYes_.value_or(false);
    Answer answer = Answer::No;
    CliText word = CliText::AnswerNo;
    if (question.buttons == Buttons::OkCancel) {
        answer = yes ? Answer::Ok : Answer::Cancel;
        word = yes ? CliText::AnswerOk : CliText::AnswerCancel;
    } else {
        answer = yes ? Answer::Yes : Answer::No;
        word = yes ? CliText::AnswerYes : CliText::AnswerNo;
    }
    const Language language = messages_ != nullptr ? messages_->language() : Language::English;
    reporter_.question(question.caption, question.text, answer, cliText(word, language));
    return answer;
}

Outcome CliUserInterface::runModal(OperationRunner& runner) {
    const Outcome result = host_.runModal(runner);
    reporter_.progressEnd();
    return result;
}

std::optional<std::string> CliUserInterface::chooseFile(const FileChoice& /*choice*/) {
    std::optional<std::string> chosen = std::move(nextFile_);
    nextFile_.reset();
    return chosen;
}

void CliUserInterface::showDetail(const std::string& text) { reporter_.note("detail", text); }

std::string CliUserInterface::lastStatus() const {
    std::lock_guard lock(mutex_);
    return lastStatus_;
}

void CliUserInterface::clearLastStatus() {
    std::lock_guard lock(mutex_);
    lastStatus_.clear();
}

} // namespace tovel::cli
