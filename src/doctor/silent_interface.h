// The person-facing interface of the doctor's own sessions: the doctor says what it found in its
// checks, so the session procedures' status texts and boxes are kept, not shown.
#pragma once

#include <string>
#include <vector>

#include "core/user_interface.h"

namespace tovel::doctor {

class SilentInterface final : public UserInterface {
public:
    void setStatus(const std::string& text) override { said.push_back(text); }
    void showInfo(const std::string& text) override { said.push_back(text); }
    void showPlain(const std::string& text) override { said.push_back(text); }
    void showBox(const std::string&, const std::string& text, BoxIcon) override { said.push_back(text); }
    Answer ask(const Question&) override { return Answer::No; }
    void setBusy(bool) override {}
    Outcome runModal(OperationRunner&) override { return Outcome::Ok; }
    std::optional<std::string> chooseFile(const FileChoice&) override { return std::nullopt; }

    std::vector<std::string> said;
};

} // namespace tovel::doctor
