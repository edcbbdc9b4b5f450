#include "cli/doctor_command.h"

#include "board/board_session.h"
#include "doctor/workbench_doctor.h"

namespace tovel::cli {

namespace {

void reportCheck(Reporter& reporter, const doctor::DoctorCheck& check, const Messages& messages) {
    const std::string name = messages.text(check.nameId);
    const std::string finding = doctor::render(check.finding, messages);
    std::string advice;
    for (const doctor::DoctorText& text : check.advice) {
        if (!advice.empty()) advice += ' ';
        advice += doctor::render(text, messages);
    }
    JsonLine json;
    json.add("type", "check")
        .add("check", check.key)
        .add("name", name)
        .add("state", doctor::stateKey(check.state))
        .add("finding", finding)
        .add("advice", advice);
    std::string line = doctor::stateName(check.state, messages) + ": " + name + ": " + finding;
    if (!advice.empty()) line += " — " + advice;
    reporter.record(json, line);
}

} // namespace

CommandOutcome runDoctorCommand(CommandContext& context) {
    Workbench& workbench = context.workbench;
    doctor::DoctorSettings settings = doctor::doctorSettingsOf(workbench);
    if (context.options.systemRoot) settings.system.root = *context.options.systemRoot;

    const Messages& messages = workbench.messages();
    const doctor::DoctorReport report = doctor::runDoctor(
        workbench.session().channel(), workbench.clock(), messages, settings,
        [&](const doctor::DoctorCheck& check) { reportCheck(context.reporter, check, messages); });
    CommandOutcome outcome;
    switch (report.verdict) {
    case doctor::DoctorVerdict::Works:
        // Proof: the chip rung read the project's chip three times alike.
        outcome.status = ExitStatus::Success;
        break;
    case doctor::DoctorVerdict::PortOrBoard:
        outcome.status = ExitStatus::Connection;
        break;
    case doctor::DoctorVerdict::Chip:
        outcome.status = ExitStatus::WrongChip;
        break;
    case doctor::DoctorVerdict::Cancelled:
        outcome.status = ExitStatus::Cancelled;
        break;
    }
    if (outcome.status != ExitStatus::Success && !report.checks.empty())
        outcome.summary = doctor::render(report.checks.back().finding, messages);
    return outcome;
}

} // namespace tovel::cli
