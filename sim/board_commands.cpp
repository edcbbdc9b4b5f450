#include "sim/board_commands.h"

namespace tovel::sim::command {

namespace {

// Commands of a fixed length; 0 for unknown.
std::size_t fixedLength(std::uint8_t c) {
    switch (c) {
    case StatusProbe:
    case ShortVersion:
    case LongVersion:
    case SerialNumber:
    case ResetStrobeShort:
    case ResetStrobeLong:
    case EnterProgramming:
    case BeginAt89:
    case LeaveProgramming:
    case EndSession:
    case StartLoader:
    case SpiSelect:
    case SpiDeselect:
    case SpiReadByte:
    case At25Select:
    case At25Deselect:
        return 1;
    case DeviceClass:
    case SetWaitCode:
    case SpiSendByte:
    case ReadFlashBytes:
    case ReadEepromBytes:
        return 2;
    case SetAddress:
    case SpiReadBlock:
        return 3;
    case LinkParameters:
    case SpiInstr3:
    case SpiInstrRead:
        return 4;
    case SpiInstr4:
        return 5;
    default:
        return 0;
    }
}

} // namespace

bool isKnown(std::uint8_t c) {
    return fixedLength(c) != 0 || c == WriteFlashBytes || c == WriteEepromBytes || c == SpiWriteBlock;
}

bool isAnswered(std::uint8_t c) { return isKnown(c) && c != EndSession; }

std::size_t commandLength(const std::vector<std::uint8_t>& pending) {
    if (pending.empty()) return 0;
    const std::uint8_t c = pending[0];
    if (c == WriteFlashBytes || c == WriteEepromBytes)
        return pending.size() < 2 ? 0 : 2 + std::size_t{pending[1]};
    if (c == SpiWriteBlock) return pending.size() < 3 ? 0 : 3 + ((std::size_t{pending[1]} << 8) | pending[2]);
    const std::size_t length = fixedLength(c);
    return length == 0 ? 1 : length;
}

} // namespace tovel::sim::command
