#include "doctor/doctor_check.h"

namespace tovel::doctor {

std::string render(const DoctorText& text, const Messages& messages) {
    // Rows take at most five arguments; missing ones read as empty, extra ones are ignored.
    const char* a[5] = {"", "", "", "", ""};
    for (std::size_t i = 0; i < text.args.size() && i < 5; ++i) a[i] = text.args[i].c_str();
    if (text.nestedId != 0 && !text.args.empty() && text.args.size() <= 5)
        a[text.args.size() - 1] = messages.text(text.nestedId);
    return messages.format(text.id, a[0], a[1], a[2], a[3], a[4]);
}

std::string stateName(CheckState state, const Messages& messages) {
    switch (state) {
    case CheckState::Ok:
        return messages.text(msg::DoctorStateOk);
    case CheckState::Warn:
        return messages.text(msg::DoctorStateWarn);
    case CheckState::Fail:
        break;
    }
    return messages.text(msg::DoctorStateFail);
}

const char* stateKey(CheckState state) {
    switch (state) {
    case CheckState::Ok:
        return "ok";
    case CheckState::Warn:
        return "warn";
    case CheckState::Fail:
        break;
    }
    return "fail";
}

} // namespace tovel::doctor
