// One chip of a production run, as the production record keeps it and the logs print it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tovel {

enum class ChipResult {
    Spent, // its numbers are taken; the outcome was never written (a crash, a lost board)
    Passed,
    Failed,
};

const char* chipResultName(ChipResult result); // "spent", "passed", "failed"

struct ChipRecord {
    std::int64_t id = 0;   // the record's row, given when the numbers are taken; 0 before
    std::string startedAt; // local time, ISO 8601
    std::string port;      // as the person named it ("3", "/dev/ttyUSB1", "sim2")
    std::string boardSerial;
    std::string device;
    std::string signature; // "1E 97 02"; empty when it could not be read
    std::optional<std::uint64_t> flashSerial;
    std::optional<std::uint64_t> eepromSerial;
    ChipResult result = ChipResult::Spent;
    int exitCode = 0;   // the command line's exit status for this chip
    std::string status; // the last status text of the chip's run
    std::int64_t durationMs = 0;
};

// The serial number a chip is known by: its Flash counter's, else its EEPROM counter's; empty
// when it has none.
std::string serialNumberText(const ChipRecord& chip);

} // namespace tovel
