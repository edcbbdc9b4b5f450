#include "cli/json_reporter.h"

namespace tovel::cli {

const char* answerName(Answer answer) {
    switch (answer) {
    case Answer::Yes:
        return "yes";
    case Answer::No:
        return "no";
    case Answer::Ok:
        return "ok";
    case Answer::Cancel:
        return "cancel";
    }
    return "no";
}

const char* iconName(BoxIcon icon) {
    switch (icon) {
    case BoxIcon::None:
        return "none";
    case BoxIcon::Information:
        return "information";
    case BoxIcon::Question:
        return "question";
    case BoxIcon::Warning:
        return "warning";
    case BoxIcon::Error:
        return "error";
    }
    return "none";
}

void JsonReporter::write(const JsonLine& line) {
    std::lock_guard lock(mutex_);
    out_ << line.text() << '\n' << std::flush;
}

void JsonReporter::status(const std::string& text) {
    write(JsonLine().add("type", "status").add("text", text));
}

void JsonReporter::box(const std::string& caption, const std::string& text, BoxIcon icon) {
    write(
        JsonLine().add("type", "box").add("caption", caption).add("text", text).add("icon", iconName(icon)));
}

void JsonReporter::question(const std::string& caption, const std::string& text, Answer answer,
                            const std::string& /*answerWord*/) {
    write(JsonLine()
              .add("type", "question")
              .add("caption", caption)
              .add("text", text)
              .add("answer", answerName(answer)));
}

void JsonReporter::progress(const ProgressStep& step) {
    write(JsonLine()
              .add("type", "progress")
              .add("title", step.title)
              .add("text", step.text)
              .add("percent", step.percent));
}

void JsonReporter::record(const JsonLine& json, const std::string& /*text*/) { write(json); }

void JsonReporter::note(const std::string& type, const std::string& text) {
    write(JsonLine().add("type", type).add("text", text));
}

void JsonReporter::result(const JsonLine& json, const std::string& /*failureText*/) { write(json); }

} // namespace tovel::cli
