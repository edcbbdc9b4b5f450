#include "sim/byte_log.h"

namespace tovel::sim {

std::string formatLoggedByte(const LoggedByte& entry) {
    char text[64];
    const char printable = entry.byte >= 0x20 && entry.byte < 0x7F ? static_cast<char>(entry.byte) : '.';
    std::snprintf(text, sizeof text, "%6llu.%06llu %s %02X '%c'",
                  static_cast<unsigned long long>(entry.timeUs / 1000000),
                  static_cast<unsigned long long>(entry.timeUs % 1000000),
                  entry.direction == Direction::HostToBoard ? "host>board" : "board>host", entry.byte,
                  printable);
    return text;
}

void ByteLogWriter::write(const LoggedByte& entry) {
    if (file_ == nullptr) return;
    if (entry.hostBaud != hostBaud_ || entry.boardBaud != boardBaud_) {
        hostBaud_ = entry.hostBaud;
        boardBaud_ = entry.boardBaud;
        std::fprintf(file_, "# speed: host %d, board %d%s\n", hostBaud_, boardBaud_,
                     hostBaud_ == boardBaud_ ? "" : " (mismatch: the receiver decodes garbage)");
    }
    std::fprintf(file_, "%s\n", formatLoggedByte(entry).c_str());
}

void ByteLogWriter::flush() {
    if (file_ != nullptr) std::fflush(file_);
}

} // namespace tovel::sim
