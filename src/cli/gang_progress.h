// Progress of a gang run on a terminal: one bar a board, all on the one line the reporter redraws
// ("[sim1] 45% [sim2] 40% ..."), so the boards never scroll each other's bars away. Off a terminal
// and in JSON every board's steps go through its own BoardReporter instead.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "cli/reporter.h"

namespace tovel::cli {

class GangProgress {
public:
    GangProgress(Reporter& shared, std::vector<std::string> labels);

    void update(std::size_t board, int percent);
    void end(std::size_t board);

private:
    void draw(); // with the mutex held

    Reporter& shared_;
    std::mutex mutex_;
    std::vector<std::string> labels_;
    std::vector<int> percents_; // -1: no operation running on that board
};

} // namespace tovel::cli
