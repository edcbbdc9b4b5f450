#include "soak/soak_tally.h"

#include <algorithm>

namespace tovel::soak {

namespace {

// A text with its numbers replaced by "#", so that outcomes and broken rules count by kind.
std::string kindOf(const std::string& text) {
    std::string kind;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if (!digit) {
            kind += text[i];
        } else if (i == 0 || !(text[i - 1] >= '0' && text[i - 1] <= '9')) {
            kind += '#';
        }
    }
    return kind;
}

} // namespace

void SoakTally::add(const RunDraw& draw, const RunRecord& record) {
    ++runs_;
    if (!record.violations.empty()) ++failedRuns_;
    if (draw.faults.planned.empty()) ++faultFree_;
    if (record.reportedSuccess) ++reportedSuccess_;
    if (record.chipHoldsImage) ++chipHoldsImage_;
    if (record.chipHoldsImage && !record.reportedSuccess) ++holdsButNotReported_;
    boxes_ += record.boxes;
    questions_ += record.questions;
    for (const PlannedFault& fault : draw.faults.planned) ++faults_[static_cast<std::size_t>(fault.type)];
    ++outcomes_[kindOf(record.finalStatus)];
    ++runsByPath_[std::string(draw.path.device) + " (" + draw.path.path + ")"];
    for (const std::string& v : record.violations) ++violations_[kindOf(v)];
    maxSilentReads_ = std::max(maxSilentReads_, record.silentReads);
    if (record.boundMs > 0)
        worstBoundShare_ = std::max(worstBoundShare_, static_cast<double>(record.elapsedMs) /
                                                          static_cast<double>(record.boundMs));
    pausedMs_ += record.pausedMs;
}

void SoakTally::print(std::FILE* out, std::uint64_t seconds) const {
    std::fprintf(out, "\n== Fault soak: %d runs in %llu s ==\n", runs_,
                 static_cast<unsigned long long>(seconds));
    std::fprintf(out, "Runs by chip:\n");
    for (const auto& [path, count] : runsByPath_) std::fprintf(out, "  %6d  %s\n", count, path.c_str());
    std::fprintf(out, "Faults planned, by kind (%d runs without any):\n", faultFree_);
    for (int i = 0; i < kFaultTypeCount; ++i)
        std::fprintf(out, "  %6d  %s\n", faults_[static_cast<std::size_t>(i)],
                     faultTypeName(static_cast<FaultType>(i)));
    std::fprintf(out, "Outcomes (final status line, numbers as #):\n");
    std::vector<std::pair<std::string, int>> outcomes(outcomes_.begin(), outcomes_.end());
    std::sort(outcomes.begin(), outcomes.end(),
              [](const auto& a, const auto& b) { return a.second > b.second; });
    for (const auto& [text, count] : outcomes) std::fprintf(out, "  %6d  %s\n", count, text.c_str());
    std::fprintf(out,
                 "Success reported: %d; chip verified equal to the image: %d (of them not reported: %d)\n",
                 reportedSuccess_, chipHoldsImage_, holdsButNotReported_);
    std::fprintf(out,
                 "Boxes shown: %d; questions answered: %d; protocol pauses asked for: %llu s (not slept)\n",
                 boxes_, questions_, static_cast<unsigned long long>(pausedMs_ / 1000));
    std::fprintf(out, "Most silent reads in a run: %d; slowest run used %.0f%% of its time bound\n",
                 maxSilentReads_, worstBoundShare_ * 100);
    if (violations_.empty()) {
        std::fprintf(out, "PASS: every run kept every rule\n");
        return;
    }
    std::fprintf(out, "FAIL: %d runs broke a rule:\n", failedRuns_);
    for (const auto& [kind, count] : violations_) std::fprintf(out, "  %6d  %s\n", count, kind.c_str());
}

} // namespace tovel::soak
