// The chip log of a gang run: one line a chip in the CSV log (--log: the single-board columns,
// then port, board serial, signature, serial number and duration) and in the JSON-lines log
// (--log-json). Each line is appended with one write, so boards and processes sharing the files
// never interleave; a line that cannot be written is reported, and the caller stops the line.
#pragma once

#include <mutex>
#include <optional>
#include <string>

#include "cli/csv_log.h"
#include "production/chip_record.h"

namespace tovel::cli {

// A file that takes whole lines, each with a single append.
class LineFile {
public:
    LineFile() = default;
    ~LineFile();
    LineFile(const LineFile&) = delete;
    LineFile& operator=(const LineFile&) = delete;

    bool open(const std::string& path);
    bool isOpen() const { return fd_ >= 0; }
    // `line` without its end.
    bool append(const std::string& line);

private:
    int fd_ = -1;
};

struct ChipLogLine {
    const ChipRecord& chip;
    std::string flashCounter; // the counter's bytes as hex digits, as the single-board log shows them
    std::string eepromCounter;
};

class ChipLog {
public:
    // Opens whichever of the two is given. Nothing on success; else the path that failed.
    std::optional<std::string> open(const std::optional<std::string>& csvPath,
                                    const std::optional<std::string>& jsonPath);
    // Thread-safe. Nothing on success; else the path that could not be written.
    std::optional<std::string> append(const ChipLogLine& line);

private:
    std::mutex mutex_;
    std::optional<std::string> csvPath_;
    std::optional<std::string> jsonPath_;
    CsvLog csv_;
    LineFile json_;
};

} // namespace tovel::cli
