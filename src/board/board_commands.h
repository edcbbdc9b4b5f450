// One small function per board command, for the session procedures and the chip operations.
//
// `send...` functions put one command on the line in a single write and return whether it went
// out. Functions without the prefix also collect the reply the command table gives it:
//   - an int: the reply byte 0..255, kNoReply when none came within the read time-out, or
//     kNotSent when the command could not be sent;
//   - a bool: the command was sent and the reply was the acknowledge (0x0D);
//   - a pointer: the reply bytes (valid until the next receive), or null.
// Pauses between a command and its reply belong to the callers' procedures, which then use the
// `send...` form and read the reply themselves (`receiveReplyByte`, `receiveAck`).
#pragma once

#include <cstddef>
#include <cstdint>

#include "board/serial_channel.h"

namespace tovel::board {

inline constexpr int kNoReply = -1;
inline constexpr int kNotSent = -2;

// The outcome of WriteFlashBytes / WriteEepromBytes.
enum class WriteReply { Done, PollingError, OtherReply, NoReply, NotSent };

// Replies.
int receiveReplyByte(SerialChannel& channel);
bool receiveAck(SerialChannel& channel);
WriteReply receiveWriteReply(SerialChannel& channel);

// Link and session.
bool sendStatusProbe(SerialChannel& channel);
bool sendShortVersion(SerialChannel& channel);
bool sendLongVersion(SerialChannel& channel);
bool sendSerialNumber(SerialChannel& channel);
bool sendDeviceClass(SerialChannel& channel, std::uint8_t deviceClass);
bool sendSetAddress(SerialChannel& channel, std::uint16_t address);
bool sendLinkParameters(SerialChannel& channel, int baudIndex, std::uint8_t sckCode, bool polling);
bool sendResetStrobe(SerialChannel& channel, bool longStrobe);
bool sendEnterProgramming(SerialChannel& channel);
bool sendBeginAt89(SerialChannel& channel);
bool sendLeaveProgramming(SerialChannel& channel);
bool sendEndSession(SerialChannel& channel);
bool sendStartLoader(SerialChannel& channel);
bool deviceClass(SerialChannel& channel, std::uint8_t deviceClass);
bool setAddress(SerialChannel& channel, std::uint16_t address);
bool leaveProgramming(SerialChannel& channel);

// SPI pass-through.
bool sendSpiInstr3(SerialChannel& channel, const std::uint8_t* instruction, std::size_t count);
bool sendSpiInstr4(SerialChannel& channel, std::uint8_t b0, std::uint8_t b1, std::uint8_t b2,
                   std::uint8_t b3);
bool sendSpiInstrRead(SerialChannel& channel, std::uint8_t b0, std::uint8_t b1, std::uint8_t b2);
int spiInstr3(SerialChannel& channel, const std::uint8_t* instruction, std::size_t count);
int spiInstr4(SerialChannel& channel, std::uint8_t b0, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3);
int spiInstrRead(SerialChannel& channel, std::uint8_t b0, std::uint8_t b1, std::uint8_t b2);

// AT45 DataFlash frame.
bool sendSpiSelect(SerialChannel& channel);
bool sendSpiDeselect(SerialChannel& channel);
bool sendSpiSendByte(SerialChannel& channel, std::uint8_t byte);
bool sendSpiReadByte(SerialChannel& channel);
bool sendSpiWriteBlock(SerialChannel& channel, const std::uint8_t* bytes, std::uint16_t count);
bool sendSpiReadBlock(SerialChannel& channel, std::uint16_t count);
bool spiSelect(SerialChannel& channel);
bool spiDeselect(SerialChannel& channel);
bool spiSendByte(SerialChannel& channel, std::uint8_t byte);
int spiReadByte(SerialChannel& channel);
bool spiWriteBlock(SerialChannel& channel, const std::uint8_t* bytes, std::uint16_t count);
// The `count` bytes read, provided the 0x0D after them arrived too.
const std::uint8_t* spiReadBlock(SerialChannel& channel, std::uint16_t count);

// AT25 serial EEPROM frame (the bytes inside it go with SpiSendByte / SpiReadByte).
bool sendAt25Select(SerialChannel& channel);
bool sendAt25Deselect(SerialChannel& channel);
bool at25Select(SerialChannel& channel);
bool at25Deselect(SerialChannel& channel);

// Memory transfers at the board's address pointer.
bool sendSetWaitCode(SerialChannel& channel, std::uint8_t code);
bool setWaitCode(SerialChannel& channel, std::uint8_t code);
bool sendWriteFlashBytes(SerialChannel& channel, const std::uint8_t* bytes, std::uint8_t count);
bool sendWriteEepromBytes(SerialChannel& channel, const std::uint8_t* bytes, std::uint8_t count);
WriteReply writeFlashBytes(SerialChannel& channel, const std::uint8_t* bytes, std::uint8_t count);
WriteReply writeEepromBytes(SerialChannel& channel, const std::uint8_t* bytes, std::uint8_t count);
// `count` is at most protocol::MaxReadBytes; a larger count is refused without sending.
bool sendReadFlashBytes(SerialChannel& channel, std::uint8_t count);
bool sendReadEepromBytes(SerialChannel& channel, std::uint8_t count);
const std::uint8_t* readFlashBytes(SerialChannel& channel, std::uint8_t count);
const std::uint8_t* readEepromBytes(SerialChannel& channel, std::uint8_t count);

} // namespace tovel::board
