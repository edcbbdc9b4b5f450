// The production log (--log FILE): one CSV line a chip, appended with a single write so that
// several stations may share one file. A new or empty file gets the column names first.
#pragma once

#include <string>
#include <vector>

namespace tovel::cli {

// One field as CSV writes it: quoted (with quotes doubled) when it holds a comma, a quote, a line
// end or a space at either end.
std::string csvField(const std::string& text);

class CsvLog {
public:
    CsvLog() = default;
    ~CsvLog();
    CsvLog(const CsvLog&) = delete;
    CsvLog& operator=(const CsvLog&) = delete;

    // Opens `path` for appending (creating it). False when it cannot be opened or the header
    // cannot be written.
    bool open(const std::string& path, const std::vector<std::string>& columnNames);
    bool append(const std::vector<std::string>& fields);
    bool isOpen() const { return fd_ >= 0; }

private:
    bool writeLine(const std::vector<std::string>& fields);

    int fd_ = -1;
};

} // namespace tovel::cli
