// The soak's counts: runs, faults by kind, outcomes by final text, and the runs that broke a rule.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>

#include "soak/soak_run.h"

namespace tovel::soak {

class SoakTally {
public:
    void add(const RunDraw& draw, const RunRecord& record);
    int runs() const { return runs_; }
    int failedRuns() const { return failedRuns_; }
    void print(std::FILE* out, std::uint64_t seconds) const;

private:
    int runs_ = 0;
    int failedRuns_ = 0;
    int faultFree_ = 0;
    int reportedSuccess_ = 0;
    int chipHoldsImage_ = 0;
    int holdsButNotReported_ = 0;
    int boxes_ = 0;
    int questions_ = 0;
    std::array<int, kFaultTypeCount> faults_{};
    std::map<std::string, int> outcomes_;
    std::map<std::string, int> runsByPath_;
    std::map<std::string, int> violations_;
    int maxSilentReads_ = 0;
    double worstBoundShare_ = 0; // elapsed / bound
    std::uint64_t pausedMs_ = 0;
};

} // namespace tovel::soak
