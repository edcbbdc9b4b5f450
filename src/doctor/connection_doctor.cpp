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
    const auto cancelled = [&] { return settings.stop != nullptr && settings.stop->requested(); };
    // `rungStart`: where the checks of the rung the request cut short begin. What that rung found
    // may be the cut itself (a read that ended early reads as silence), so none of it is told.
    const auto cancel = [&](std::size_t rungStart) {
        channel.closePort();
        report.checks.resize(rungStart);
        report.verdict = DoctorVerdict::Cancelled;
        report.checks.push_back(DoctorCheck{
            CheckState::Warn, "summary", msg::DoctorCheckSummary, {msg::DoctorSummaryCancelled, {}}, {}});
        progress.flush();
        return report;
    };

    if (cancelled()) return cancel(0);
    const bool portPassed = checkPortFile(settings.portPath, settings.system, report.checks);
    if (cancelled()) return cancel(0);
    progress.flush();
    if (!portPassed) return finish(DoctorVerdict::PortOrBoard, 0, 0);

    const bool opened = channel.openPort(settings.comPort - 1, SerialChannel::kBaud19200);
    report.checks.push_back(openCheck(opened ? std::nullopt : channel.lastOpenFailure(), settings.system));
    if (opened && report.checks.back().state == CheckState::Fail) channel.closePort();
    progress.flush();
    if (report.checks.back().state == CheckState::Fail) return finish(DoctorVerdict::PortOrBoard, 0, 0);

    std::size_t rungStart = report.checks.size();
    const bool boardPassed = checkBoard(channel, clock, report.checks);
    // The board is at 19200 baud throughout this rung: closing the port is all its end needs.
    if (cancelled()) return cancel(rungStart);
    if (!boardPassed) return finish(DoctorVerdict::PortOrBoard, 0, 0);
    progress.flush();

    rungStart = report.checks.size();
    const int baudIndex =
        checkLinkSpeed(channel, clock, settings.comPort, settings.roundTrips, settings.stop, report.checks);
    {
        // Ended properly even after a request: the board must be left idle.
        const StopRequest::Ending ending(settings.stop, StopRequest::Shield::FirstRequest);
        (void)board::sendEndSession(channel);
    }
    channel.closePort();
    if (cancelled()) return cancel(rungStart);
    progress.flush();

    rungStart = report.checks.size();
    SilentInterface silent;
    BoardSession session(channel, silent, messages, clock);
    session.watchStop(settings.stop);
    const ChipOutcome chip = checkChip(session, settings.project, settings.comPort, report.checks);
    if (cancelled()) return cancel(rungStart);
    return finish(chip.identified ? DoctorVerdict::Works : DoctorVerdict::Chip, baudIndex,
                  chip.sckPeriodIndex >= 0 ? chip.sckPeriodIndex : settings.project.sckPeriodIndex);
}

} // namespace tovel::doctor
