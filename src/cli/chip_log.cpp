#include "cli/chip_log.h"

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

#include "cli/json_line.h"

namespace tovel::cli {

LineFile::~LineFile() {
    if (fd_ >= 0) ::close(fd_);
}

bool LineFile::open(const std::string& path) {
    fd_ = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    return fd_ >= 0;
}

bool LineFile::append(const std::string& line) {
    if (fd_ < 0) return false;
    const std::string whole = line + '\n';
    // O_APPEND makes one write land whole at the end, whoever else appends.
    for (;;) {
        const ssize_t n = ::write(fd_, whole.data(), whole.size());
        if (n < 0 && errno == EINTR) continue;
        return n == static_cast<ssize_t>(whole.size());
    }
}

std::optional<std::string> ChipLog::open(const std::optional<std::string>& csvPath,
                                         const std::optional<std::string>& jsonPath) {
    csvPath_ = csvPath;
    jsonPath_ = jsonPath;
    if (csvPath &&
        !csv_.open(*csvPath, {"time", "device", "flash_counter", "eeprom_counter", "result", "exit_status",
                              "port", "board_serial", "signature", "serial", "duration_ms"}))
        return csvPath;
    if (jsonPath && !json_.open(*jsonPath)) return jsonPath;
    return std::nullopt;
}

std::optional<std::string> ChipLog::append(const ChipLogLine& line) {
    const ChipRecord& chip = line.chip;
    std::lock_guard lock(mutex_);
    if (csv_.isOpen() &&
        !csv_.append({chip.startedAt, chip.device, line.flashCounter, line.eepromCounter, chip.status,
                      std::to_string(chip.exitCode), chip.port, chip.boardSerial, chip.signature,
                      serialNumberText(chip), std::to_string(chip.durationMs)}))
        return csvPath_;
    if (!json_.isOpen()) return std::nullopt;
    JsonLine json;
    json.add("time", chip.startedAt)
        .add("port", chip.port)
        .add("boardSerial", chip.boardSerial)
        .add("device", chip.device)
        .add("signature", chip.signature);
    if (chip.flashSerial)
        json.add("flashSerial", *chip.flashSerial);
    else
        json.addNull("flashSerial");
    if (chip.eepromSerial)
        json.add("eepromSerial", *chip.eepromSerial);
    else
        json.addNull("eepromSerial");
    json.add("flashCounter", line.flashCounter)
        .add("eepromCounter", line.eepromCounter)
        .add("result", chipResultName(chip.result))
        .add("exit", chip.exitCode)
        .add("status", chip.status)
        .add("durationMs", static_cast<long long>(chip.durationMs));
    if (!json_.append(json.text())) return jsonPath_;
    return std::nullopt;
}

} // namespace tovel::cli
