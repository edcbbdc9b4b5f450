// The person at the bench during a soak run: keeps the status lines and boxes of the run,
// answers every question with a seeded coin, and runs a long operation's worker to its end
// without a progress display (no 150 ms polling tick, so runs stay quick).
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "core/user_interface.h"

namespace tovel::soak {

class SoakUi final : public UserInterface {
public:
    // `yes` decides each question: true answers Yes (or OK), false No (or Cancel).
    explicit SoakUi(std::function<bool()> yes) : yes_(std::move(yes)) {}

    void setStatus(const std::string& text) override;
    void showInfo(const std::string& text) override { box(text); }
    void showPlain(const std::string& text) override { box(text); }
    void showBox(const std::string&, const std::string& text, BoxIcon) override { box(text); }
    Answer ask(const Question& question) override;
    void setBusy(bool) override {}
    Outcome runModal(OperationRunner& runner) override;
    std::optional<std::string> chooseFile(const FileChoice&) override { return std::nullopt; }

    std::vector<std::string> statuses() const;
    // Status lines and boxes ("box: " ...) as they came.
    std::vector<std::string> transcript() const;
    std::vector<std::string> boxes() const;
    std::string lastStatus() const;
    int questions() const { return questions_; }

private:
    void box(const std::string& text);

    std::function<bool()> yes_;
    mutable std::mutex mutex_; // workers report from their own thread
    std::vector<std::string> statuses_;
    std::vector<std::string> boxes_;
    std::vector<std::string> transcript_;
    int questions_ = 0;
};

} // namespace tovel::soak
