// The board's command bytes, and how many bytes each command takes in all.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tovel::sim::command {

constexpr std::uint8_t kAck = 0x0D;
constexpr std::uint8_t kPollingError = 0x1B;

constexpr std::uint8_t StatusProbe = '%';
constexpr std::uint8_t ShortVersion = '@';
constexpr std::uint8_t LongVersion = '?';
constexpr std::uint8_t SerialNumber = 'N';
constexpr std::uint8_t DeviceClass = '&';
constexpr std::uint8_t SetAddress = ':';
constexpr std::uint8_t LinkParameters = '#';
constexpr std::uint8_t ResetStrobeShort = 'Q';
constexpr std::uint8_t ResetStrobeLong = '*';
constexpr std::uint8_t EnterProgramming = '=';
constexpr std::uint8_t BeginAt89 = '+';
constexpr std::uint8_t LeaveProgramming = '-';
constexpr std::uint8_t EndSession = 0x1B;
constexpr std::uint8_t StartLoader = '^';
constexpr std::uint8_t SpiInstr3 = '3';
constexpr std::uint8_t SpiInstr4 = '4';
constexpr std::uint8_t SpiInstrRead = '5';
constexpr std::uint8_t SpiSelect = 'l';
constexpr std::uint8_t SpiDeselect = 'k';
constexpr std::uint8_t SpiSendByte = '6';
constexpr std::uint8_t SpiReadByte = '7';
constexpr std::uint8_t SpiWriteBlock = '0';
constexpr std::uint8_t SpiReadBlock = '1';
constexpr std::uint8_t At25Select = '9';
constexpr std::uint8_t At25Deselect = '8';
constexpr std::uint8_t SetWaitCode = 'W';
constexpr std::uint8_t WriteFlashBytes = '{';
constexpr std::uint8_t WriteEepromBytes = '>';
constexpr std::uint8_t ReadFlashBytes = '}';
constexpr std::uint8_t ReadEepromBytes = '<';

// Total length of the command that `pending` starts (command byte included), or 0 while the
// bytes received so far do not yet tell. A byte that starts no command counts as a 1-byte
// command that the board ignores.
std::size_t commandLength(const std::vector<std::uint8_t>& pending);
// Whether the board answers the command at all (EndSession and unknown bytes get no reply).
bool isAnswered(std::uint8_t command);
bool isKnown(std::uint8_t command);

} // namespace tovel::sim::command
