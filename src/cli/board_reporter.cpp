#include "cli/board_reporter.h"

namespace tovel::cli {

BoardReporter::BoardReporter(Reporter& shared, bool json, std::string label, std::size_t index,
                             GangProgress* progress)
    : shared_(shared), json_(json), label_(std::move(label)), index_(index), progress_(progress) {}

JsonLine BoardReporter::event(const char* type) const {
    return JsonLine().add("type", type).add("port", label_);
}

void BoardReporter::status(const std::string& text) {
    if (muted_) return;
    shared_.record(event("status").add("text", text), prefixed(text));
}

void BoardReporter::box(const std::string& caption, const std::string& text, BoxIcon icon) {
    if (muted_) return;
    if (json_)
        shared_.record(event("box").add("caption", caption).add("text", text).add("icon", iconName(icon)),
                       {});
    else
        shared_.box(prefixed(caption), text, icon);
}

void BoardReporter::question(const std::string& caption, const std::string& text, Answer answer,
                             const std::string& answerWord) {
    if (muted_) return;
    if (json_)
        shared_.record(
            event("question").add("caption", caption).add("text", text).add("answer", answerName(answer)),
            {});
    else
        shared_.question(prefixed(caption), text, answer, answerWord);
}

void BoardReporter::progress(const ProgressStep& step) {
    if (muted_) return;
    if (json_) {
        shared_.record(
            event("progress").add("title", step.title).add("text", step.text).add("percent", step.percent),
            {});
    } else if (progress_ != nullptr) {
        progress_->update(index_, step.percent);
    } else if (step.first) {
        // Off a terminal: the operation's name, without the percent lines of every board.
        shared_.record({}, prefixed(step.title.empty() ? step.text : step.title + ": " + step.text));
    }
}

void BoardReporter::progressEnd() {
    if (progress_ != nullptr) progress_->end(index_);
}

void BoardReporter::record(const JsonLine& json, const std::string& text) {
    if (muted_ || (!json_ && text.empty())) return;
    shared_.record(JsonLine().add("port", label_).append(json), prefixed(text));
}

void BoardReporter::heading(const std::string& text) {
    if (!muted_) shared_.heading(prefixed(text));
}

void BoardReporter::note(const std::string& type, const std::string& text) {
    if (muted_) return;
    if (json_)
        shared_.record(event(type.c_str()).add("text", text), {});
    else
        shared_.note(type, prefixed(text));
}

void BoardReporter::result(const JsonLine& json, const std::string& failureText) {
    // A board's own end is part of the gang's table, not a result of the run.
    record(json, failureText);
}

} // namespace tovel::cli
