// Where the command line puts what happens: as text for a person (status texts on standard output,
// boxes and questions on standard error, a progress bar) or as JSON lines for a script. The
// core's texts arrive through the UserInterface; the command line's own lines through `record`,
// `note` and `result`. Safe to call from an operation's worker thread.
#pragma once

#include <string>

#include "cli/json_line.h"
#include "core/user_interface.h"

namespace tovel::cli {

struct ProgressStep {
    std::string title;
    std::string text;
    std::string percentText; // "45% completed"; empty before the first percent
    int percent = 0;
    bool first = false; // the first step of a new operation
};

class Reporter {
public:
    virtual ~Reporter() = default;

    virtual void status(const std::string& text) = 0;
    virtual void box(const std::string& caption, const std::string& text, BoxIcon icon) = 0;
    virtual void question(const std::string& caption, const std::string& text, Answer answer,
                          const std::string& answerWord) = 0;
    virtual void progress(const ProgressStep& step) = 0;
    // The operation has ended: a bar on the terminal is taken away.
    virtual void progressEnd() = 0;

    // A line of a command's own output (a device, a port, a fuse bit): `text` for a person,
    // `json` (with its "type") for a script. Standard output.
    virtual void record(const JsonLine& json, const std::string& text) = 0;
    // A column heading above records: standard output as text; nothing in JSON.
    virtual void heading(const std::string& text) = 0;
    // The command line's own words to the person (a prompt, a hint): standard error as text.
    virtual void note(const std::string& type, const std::string& text) = 0;
    // The end of the run. `failureText` (empty on success) is the person's summary.
    virtual void result(const JsonLine& json, const std::string& failureText) = 0;
};

const char* iconName(BoxIcon icon);
const char* answerName(Answer answer);

} // namespace tovel::cli
