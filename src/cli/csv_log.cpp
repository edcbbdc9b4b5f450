#include "cli/csv_log.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tovel::cli {

std::string csvField(const std::string& text) {
    const bool quote = text.find_first_of(",\"\r\n") != std::string::npos ||
                       (!text.empty() && (text.front() == ' ' || text.back() == ' '));
    if (!quote) return text;
    std::string field = "\"";
    for (const char c : text) {
        if (c == '"') field += '"';
        field += c;
    }
    field += '"';
    return field;
}

CsvLog::~CsvLog() {
    if (fd_ >= 0) ::close(fd_);
}

bool CsvLog::open(const std::string& path, const std::vector<std::string>& columnNames) {
    fd_ = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ < 0) return false;
    struct stat info {};
    if (::fstat(fd_, &info) != 0) return false;
    return info.st_size != 0 || writeLine(columnNames);
}

bool CsvLog::append(const std::vector<std::string>& fields) { return fd_ >= 0 && writeLine(fields); }

bool CsvLog::writeLine(const std::vector<std::string>& fields) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) line += ',';
        line += csvField(fields[i]);
    }
    line += '\n';
    std::size_t written = 0;
    while (written < line.size()) {
        const ssize_t n = ::write(fd_, line.data() + written, line.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        written += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace tovel::cli
