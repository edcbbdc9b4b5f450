#include "doctor/connection_doctor.h"

#include <algorithm>

#include "board/board_commands.h"
#include "board/board_session.h"
#include "board/link_parameters.h"
#include "doctor/board_checks.h"
#include "doctor/chip_checks.h"
#include "doctor/port_checks.h"
#include "doctor/silent_interface.h"

namespace tovel::doctor {

namespace {

// Hands the checks added since the last call to the sink.
class Progress {
public:
    Progress(std::vector<DoctorCheck>& checks, const CheckSink& sink) : checks_(checks), sink_(sink) {}
    void flush() {
        for (; told_ < checks_.size(); ++told_)
            if (sink_) sink_(checks_[told_]);
    }

private:
    std::vector<DoctorCheck>& checks_;
    const CheckSink& sink_;
    std::size_t told_ = 0;
};

DoctorCheck summaryOf(const std::vector<DoctorCheck>& checks, int baudIndex, int sckPeriodIndex) {
    DoctorCheck summary{
        CheckState::Ok, "summary", msg::DoctorCheckSummary, {msg::DoctorSummaryWorks, {}}, {}};
    const auto failed = std::find_if(checks.begin(), checks.end(),
                                     [](const DoctorCheck& c) { return c.state == CheckState::Fail; });
    if (failed != checks.end()) {
        summary.state = CheckState::Fail;
        summary.finding = failed->finding;
        if (!failed->advice.empty()) summary.advice = {failed->advice.front()};
        return summary;
    }
    const auto warned = std::find_if(checks.begin(), checks.end(), [](const DoctorCheck& c) {
        return c.state == CheckState::Warn && !c.advice.empty();
    });
    if (warned != checks.end()) {
        summary.state = CheckState::Warn;
        summary.advice = {warned->advice.front()};
        return summary;
    }
    summary.advice = {{msg::DoctorAdviceKeepSettings,
                       {std::to_string(baudForIndex(baudIndex)), sckPeriodText(sckPeriodIndex)}}};
    return summary;
}

} // namespace

DoctorReport runDoctor(SerialChannel& channel, Clock& clock, const Messages& messages,
                       const DoctorSettings& settings, const CheckSink& onCheck) {
    DoctorReport report;
    Progress progress(report.checks, onCheck);
    const auto finish = [&](DoctorVerdict verdict, int baudIndex, int period) {
        channel.closePort();
        report.verdict = verdict;
        report.checks.push_back(summaryOf(report.checks, baudIndex, period));
        progress.flush();
        return report;
    };

    const bool portPassed = checkPortFile(settings.portPath, settings.system, report.checks);
    progress.flush();
    if (!portPassed) return finish(DoctorVerdict::PortOrBoard, 0, 0);

    const bool opened = channel.openPort(settings.comPort - 1, SerialChannel::kBaud19200);
    report.checks.push_back(openCheck(opened ? std::nullopt : channel.lastOpenFailure(), settings.system));
    if (opened && report.checks.back().state == CheckState::Fail) channel.closePort();
    progress.flush();
    if (report.checks.back().state == CheckState::Fail) return finish(DoctorVerdict::PortOrBoard, 0, 0);

    if (!checkBoard(channel, clock, report.checks)) return finish(DoctorVerdict::PortOrBoard, 0, 0);
    progress.flush();
    const int baudIndex =
        checkLinkSpeed(channel, clock, settings.comPort, settings.roundTrips, report.checks);
    (void)board::sendEndSession(channel);
    channel.closePort();
    progress.flush();

    SilentInterface silent;
    BoardSession session(channel, silent, messages, clock);
    const ChipOutcome chip = checkChip(session, settings.project, settings.comPort, report.checks);
    return finish(chip.identified ? DoctorVerdict::Works : DoctorVerdict::Chip, baudIndex,
                  chip.sckPeriodIndex >= 0 ? chip.sckPeriodIndex : settings.project.sckPeriodIndex);
}

} // namespace tovel::doctor
