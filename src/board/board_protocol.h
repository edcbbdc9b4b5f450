// The bytes of the board's command protocol, in one place. The PC sends a command byte and its
// fixed parameters (or a count and that many bytes); the board answers every command before the
// next one is sent, mostly with the acknowledge byte.
#pragma once

#include <array>
#include <cstdint>

namespace tovel::protocol {

inline constexpr std::uint8_t Ack = 0x0D;
inline constexpr std::uint8_t PollingFailed = 0x1B; // a write command's reply when polling failed

// Command bytes.
inline constexpr std::uint8_t StatusProbe = '%';
inline constexpr std::uint8_t ShortVersion = '@';
inline constexpr std::uint8_t LongVersion = '?';
inline constexpr std::uint8_t SerialNumber = 'N';
inline constexpr std::uint8_t DeviceClass = '&';
inline constexpr std::uint8_t SetAddress = ':';
inline constexpr std::uint8_t LinkParameters = '#';
inline constexpr std::uint8_t ResetStrobeShort = 'Q';
inline constexpr std::uint8_t ResetStrobeLong = '*';
inline constexpr std::uint8_t EnterProgramming = '=';
inline constexpr std::uint8_t BeginAt89 = '+';
inline constexpr std::uint8_t LeaveProgramming = '-';
inline constexpr std::uint8_t EndSession = 0x1B;
inline constexpr std::uint8_t StartLoader = '^';
inline constexpr std::uint8_t SpiInstr3 = '3';
inline constexpr std::uint8_t SpiInstr4 = '4';
inline constexpr std::uint8_t SpiInstrRead = '5';
inline constexpr std::uint8_t SpiSelect = 'l';
inline constexpr std::uint8_t SpiDeselect = 'k';
inline constexpr std::uint8_t SpiSendByte = '6';
inline constexpr std::uint8_t SpiReadByte = '7';
inline constexpr std::uint8_t SpiWriteBlock = '0';
inline constexpr std::uint8_t SpiReadBlock = '1';
inline constexpr std::uint8_t At25Select = '9';
inline constexpr std::uint8_t At25Deselect = '8';
inline constexpr std::uint8_t SetWaitCode = 'W';
inline constexpr std::uint8_t WriteFlashBytes = '{';
inline constexpr std::uint8_t WriteEepromBytes = '>';
inline constexpr std::uint8_t ReadFlashBytes = '}';
inline constexpr std::uint8_t ReadEepromBytes = '<';

// StatusProbe replies.
inline constexpr std::uint8_t ProbeRunning = '+';
inline constexpr std::uint8_t ProbeRunningAlt = '*';
inline constexpr std::uint8_t ProbeLoaderOnly = '-';
// StartLoader's reply when the loader is ready for an image.
inline constexpr std::uint8_t LoaderReady = '+';

// ShortVersion replies other than a firmware version.
inline constexpr std::array<std::uint8_t, 3> VersionSyncError = {'e', 'r', 'r'};
inline constexpr std::array<std::uint8_t, 3> VersionLoader = {'l', 'd', 'r'};
inline constexpr std::array<std::uint8_t, 3> VersionLoader2 = {'l', 'd', '2'};

// The firmware version this program works with; the firmware image installed with the program
// carries it. The compatibility rule is an exact match of all three characters.
inline constexpr std::array<std::uint8_t, 3> RequiredVersion = {'M', '0', '1'};

// SPI instruction bytes the session itself sends.
inline constexpr std::uint8_t DataFlashStatusRead = 0x57;
inline constexpr std::array<std::uint8_t, 4> ProgrammingEnable = {0xAC, 0x53, 0x00, 0x00};
inline constexpr std::uint8_t SignatureRead = 0x30;

// Largest block ReadFlashBytes / ReadEepromBytes may ask for.
inline constexpr std::uint8_t MaxReadBytes = 64;

// Firmware image: 3,072 groups of 4 bytes, each acknowledged.
inline constexpr std::size_t FirmwareGroupSize = 4;
inline constexpr std::size_t FirmwareGroupCount = 3072;
inline constexpr std::size_t FirmwareImageSize = FirmwareGroupSize * FirmwareGroupCount;

} // namespace tovel::protocol
