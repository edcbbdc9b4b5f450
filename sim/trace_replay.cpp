#include "sim/trace_replay.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

namespace tovel::sim {

namespace {

std::optional<LoggedByte> parseLine(const std::string& line) {
    std::istringstream in(line);
    std::string time;
    std::string direction;
    std::string hex;
    if (!(in >> time >> direction >> hex) || hex.size() != 2) return std::nullopt;
    LoggedByte entry;
    if (direction == "host>board")
        entry.direction = Direction::HostToBoard;
    else if (direction == "board>host")
        entry.direction = Direction::BoardToHost;
    else
        return std::nullopt;
    unsigned value = 0;
    char end = 0;
    if (std::sscanf(hex.c_str(), "%2x%c", &value, &end) != 1) return std::nullopt;
    entry.byte = static_cast<std::uint8_t>(value);
    return entry;
}

} // namespace

std::optional<std::vector<LoggedByte>> readTraceFile(const std::string& path, std::string& error) {
    std::ifstream in(path);
    if (!in) {
        error = "cannot read the trace " + path;
        return std::nullopt;
    }
    std::vector<LoggedByte> steps;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        if (const std::optional<LoggedByte> entry = parseLine(line)) steps.push_back(*entry);
    }
    if (steps.empty()) {
        error = "the trace " + path + " holds no byte";
        return std::nullopt;
    }
    return steps;
}

std::vector<std::uint8_t> TraceReplay::hostByte(std::uint8_t byte) {
    std::vector<std::uint8_t> answer;
    if (diverged_) return answer;
    // Board bytes the host never read before sending again were still sent by the board.
    while (at_ < steps_.size() && steps_[at_].direction == Direction::BoardToHost)
        answer.push_back(steps_[at_++].byte);
    if (at_ >= steps_.size() || steps_[at_].byte != byte) {
        diverged_ = true;
        return {};
    }
    ++at_;
    while (at_ < steps_.size() && steps_[at_].direction == Direction::BoardToHost)
        answer.push_back(steps_[at_++].byte);
    return answer;
}

} // namespace tovel::sim
