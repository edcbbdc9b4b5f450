// How the core reaches the person at the bench: the status line, message boxes, questions,
// the busy cursor, the modal progress run of a long operation and the choice of a file.
// The desktop program, the command line and the tests each implement it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/outcome.h"

namespace tovel {

class OperationRunner;

// SaveDiscardCancel asks about unsaved work with the toolkit's own Save, Discard and Cancel
// buttons; its answers are Yes for Save, No for Discard and Cancel.
enum class Buttons { YesNo, YesNoCancel, OkCancel, SaveDiscardCancel };
enum class Answer { Yes, No, Ok, Cancel };
enum class BoxIcon { None, Information, Question, Warning, Error };

struct Question {
    std::string caption;
    std::string text;
    Buttons buttons = Buttons::YesNo;
    Answer defaultAnswer = Answer::Yes;
    BoxIcon icon = BoxIcon::Question;
};

struct FileChoice {
    bool save = false; // a save dialog rather than an open dialog
    std::string title;
    std::string initialPath;
    std::vector<std::string> filters; // e.g. "Intel HEX (*.hex *.eep)"
};

class UserInterface {
public:
    virtual ~UserInterface() = default;

    virtual void setStatus(const std::string& text) = 0;
    // Task-modal box with the information icon; the caption is the program's box caption.
    virtual void showInfo(const std::string& text) = 0;
    // The same box without an icon.
    virtual void showPlain(const std::string& text) = 0;
    // A box with a caption and icon of its own (errors, "Warning", ...).
    virtual void showBox(const std::string& caption, const std::string& text, BoxIcon icon) = 0;
    virtual Answer ask(const Question& question) = 0;
    virtual void setBusy(bool busy) = 0;
    // Runs a long operation behind a modal progress display and returns its outcome.
    virtual Outcome runModal(OperationRunner& runner) = 0;
    // The path chosen, or nothing when the person cancelled.
    virtual std::optional<std::string> chooseFile(const FileChoice& choice) = 0;
    // A line of detail after the last box (the line and reason of a file error): the command
    // line prints it; a window may keep it in its log and show the box alone.
    virtual void showDetail(const std::string& text) { static_cast<void>(text); }
};

// Holds the busy cursor for a scope, so every return path turns it off.
class BusyCursor {
public:
    explicit BusyCursor(UserInterface& ui) : ui_(ui) { ui_.setBusy(true); }
    ~BusyCursor() { ui_.setBusy(false); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

private:
    UserInterface& ui_;
};

} // namespace tovel
