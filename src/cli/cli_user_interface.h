// The person-facing interface of the core, for a terminal: status texts, boxes and questions go
// to the reporter as they come; questions are answered as the command line said (--yes, --no;
// No by default, the safe answer); long operations run behind a headless progress display whose
// Cancel is the interrupt flag (Ctrl-C). The last status text is kept for the run's result line;
// what the run came to is the operation's outcome, never read back from the texts.
#pragma once

#include <atomic>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "board/headless_runner_host.h"
#include "board/progress_observer.h"
#include "cli/reporter.h"
#include "core/user_interface.h"
#include "i18n/messages.h"

namespace tovel::cli {

// Hands the runner's progress to the reporter, one step per bar update.
class ProgressDisplay final : public ProgressObserver {
public:
    explicit ProgressDisplay(Reporter& reporter) : reporter_(reporter) {}

    void setTitle(const std::string& title) override;
    void setText(const std::string& text) override;
    void setPercentText(const std::string& text) override;
    void setBar(int percent) override;
    void setCancelVisible(bool /*visible*/) override {}

private:
    Reporter& reporter_;
    ProgressStep step_;
    bool fresh_ = true;
};

class CliUserInterface final : public UserInterface {
public:
    // `answerYes`: the answer to every question (nothing: No). `stop`: raised when the person
    // asks to stop (Ctrl-C); null for none.
    CliUserInterface(Reporter& reporter, std::optional<bool> answerYes, const StopRequest* stop);

    // The catalogue in the chosen language (box caption, answer words). Set before any operation.
    void setMessages(const Messages* messages) { messages_ = messages; }

    void setStatus(const std::string& text) override;
    void showInfo(const std::string& text) override;
    void showPlain(const std::string& text) override;
    void showBox(const std::string& caption, const std::string& text, BoxIcon icon) override;
    Answer ask(const Question& question) override;
    void setBusy(bool /*busy*/) override {}
    Outcome runModal(OperationRunner& runner) override;
    // The command line never asks for a file: it answers with the file set by `answerNextFileChoice`,
    // or Cancel.
    std::optional<std::string> chooseFile(const FileChoice& choice) override;
    void showDetail(const std::string& text) override;

    void answerNextFileChoice(std::string path) { nextFile_ = std::move(path); }

    // The last status text since the last clear (empty: none).
    std::string lastStatus() const;
    void clearLastStatus();

private:
    std::string boxCaption() const;

    Reporter& reporter_;
    const std::optional<bool> answerYes_;
    const Messages* messages_ = nullptr;
    ProgressDisplay progress_;
    HeadlessRunnerHost host_;
    std::optional<std::string> nextFile_;

    mutable std::mutex mutex_;
    std::string lastStatus_;
};

} // namespace tovel::cli
