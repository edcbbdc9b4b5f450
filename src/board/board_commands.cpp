#include "board/board_commands.h"

#include <array>
#include <vector>

#include "board/board_protocol.h"
#include "board/link_parameters.h"

namespace tovel::board {

namespace {

template <std::size_t N> bool sendPacket(SerialChannel& channel, const std::array<std::uint8_t, N>& packet) {
    return channel.sendBytes(packet.data(), packet.size());
}

// A command byte followed by a block of data, in one write.
bool sendWithData(SerialChannel& channel, std::initializer_list<std::uint8_t> head, const std::uint8_t* bytes,
                  std::size_t count) {
    if (bytes == nullptr && count > 0) return false;
    std::vector<std::uint8_t> packet(head);
    packet.insert(packet.end(), bytes, bytes + count);
    return channel.sendBytes(packet.data(), packet.size());
}

int replyTo(SerialChannel& channel, bool sent) { return sent ? receiveReplyByte(channel) : kNotSent; }

} // namespace

int receiveReplyByte(SerialChannel& channel) {
    const int byte = channel.receiveByte();
    return byte < 0 ? kNoReply : byte;
}

bool receiveAck(SerialChannel& channel) { return channel.receiveByte() == protocol::Ack; }

WriteReply receiveWriteReply(SerialChannel& channel) {
    const int byte = channel.receiveByte();
    if (byte < 0) return WriteReply::NoReply;
    if (byte == protocol::Ack) return WriteReply::Done;
    if (byte == protocol::PollingFailed) return WriteReply::PollingError;
    return WriteReply::OtherReply;
}

bool sendStatusProbe(SerialChannel& channel) { return channel.sendByte(protocol::StatusProbe); }
bool sendShortVersion(SerialChannel& channel) { return channel.sendByte(protocol::ShortVersion); }
bool sendLongVersion(SerialChannel& channel) { return channel.sendByte(protocol::LongVersion); }
bool sendSerialNumber(SerialChannel& channel) { return channel.sendByte(protocol::SerialNumber); }

bool sendDeviceClass(SerialChannel& channel, std::uint8_t deviceClass) {
    return sendPacket(channel, std::array<std::uint8_t, 2>{protocol::DeviceClass, deviceClass});
}

bool sendSetAddress(SerialChannel& channel, std::uint16_t address) {
    return sendPacket(channel, std::array<std::uint8_t, 3>{protocol::SetAddress,
                                                           static_cast<std::uint8_t>(address >> 8),
                                                           static_cast<std::uint8_t>(address & 0xFF)});
}

bool sendLinkParameters(SerialChannel& channel, int baudIndex, std::uint8_t sckCode, bool polling) {
    return sendPacket(channel, linkParametersPacket(baudIndex, sckCode, polling));
}

bool sendResetStrobe(SerialChannel& channel, bool longStrobe) {
    return channel.sendByte(longStrobe ? protocol::ResetStrobeLong : protocol::ResetStrobeShort);
}

bool sendEnterProgramming(SerialChannel& channel) { return channel.sendByte(protocol::EnterProgramming); }
bool sendBeginAt89(SerialChannel& channel) { return channel.sendByte(protocol::BeginAt89); }
bool sendLeaveProgramming(SerialChannel& channel) { return channel.sendByte(protocol::LeaveProgramming); }
bool sendEndSession(SerialChannel& channel) { return channel.sendByte(protocol::EndSession); }
bool sendStartLoader(SerialChannel& channel) { return channel.sendByte(protocol::StartLoader); }

bool deviceClass(SerialChannel& channel, std::uint8_t deviceClass) {
    return sendDeviceClass(channel, deviceClass) && receiveAck(channel);
}
bool setAddress(SerialChannel& channel, std::uint16_t address) {
    return sendSetAddress(channel, address) && receiveAck(channel);
}
bool leaveProgramming(SerialChannel& channel) { return sendLeaveProgramming(channel) && receiveAck(channel); }

bool sendSpiInstr3(SerialChannel& channel, const std::uint8_t* instruction, std::size_t count) {
    return sendWithData(channel, {protocol::SpiInstr3}, instruction, count);
}

bool sendSpiInstr4(SerialChannel& channel, std::uint8_t b0, std::uint8_t b1, std::uint8_t b2,
                   std::uint8_t b3) {
    return sendPacket(channel, std::array<std::uint8_t, 5>{protocol::SpiInstr4, b0, b1, b2, b3});
}

bool sendSpiInstrRead(SerialChannel& channel, std::uint8_t b0, std::uint8_t b1, std::uint8_t b2) {
    return sendPacket(channel, std::array<std::uint8_t, 4>{protocol::SpiInstrRead, b0, b1, b2});
}

int spiInstr3(SerialChannel& channel, const std::uint8_t* instruction, std::size_t count) {
    return replyTo(channel, sendSpiInstr3(channel, instruction, count));
}

int spiInstr4(SerialChannel& channel, std::uint8_t b0, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3) {
    return replyTo(channel, sendSpiInstr4(channel, b0, b1, b2, b3));
}

int spiInstrRead(SerialChannel& channel, std::uint8_t b0, std::uint8_t b1, std::uint8_t b2) {
    return replyTo(channel, sendSpiInstrRead(channel, b0, b1, b2));
}

bool sendSpiSelect(SerialChannel& channel) { return channel.sendByte(protocol::SpiSelect); }
bool sendSpiDeselect(SerialChannel& channel) { return channel.sendByte(protocol::SpiDeselect); }

bool sendSpiSendByte(SerialChannel& channel, std::uint8_t byte) {
    return sendPacket(channel, std::array<std::uint8_t, 2>{protocol::SpiSendByte, byte});
}

bool sendSpiReadByte(SerialChannel& channel) { return channel.sendByte(protocol::SpiReadByte); }

bool sendSpiWriteBlock(SerialChannel& channel, const std::uint8_t* bytes, std::uint16_t count) {
    return sendWithData(channel,
                        {protocol::SpiWriteBlock, static_cast<std::uint8_t>(count >> 8),
                         static_cast<std::uint8_t>(count & 0xFF)},
                        bytes, count);
}

bool sendSpiReadBlock(SerialChannel& channel, std::uint16_t count) {
    return sendPacket(channel, std::array<std::uint8_t, 3>{protocol::SpiReadBlock,
                                                           static_cast<std::uint8_t>(count >> 8),
                                                           static_cast<std::uint8_t>(count & 0xFF)});
}

bool spiSelect(SerialChannel& channel) { return sendSpiSelect(channel) && receiveAck(channel); }
bool spiDeselect(SerialChannel& channel) { return sendSpiDeselect(channel) && receiveAck(channel); }
bool spiSendByte(SerialChannel& channel, std::uint8_t byte) {
    return sendSpiSendByte(channel, byte) && receiveAck(channel);
}
int spiReadByte(SerialChannel& channel) { return replyTo(channel, sendSpiReadByte(channel)); }
bool spiWriteBlock(SerialChannel& channel, const std::uint8_t* bytes, std::uint16_t count) {
    return sendSpiWriteBlock(channel, bytes, count) && receiveAck(channel);
}

const std::uint8_t* spiReadBlock(SerialChannel& channel, std::uint16_t count) {
    if (!sendSpiReadBlock(channel, count)) return nullptr;
    const std::uint8_t* reply = channel.receive(static_cast<std::size_t>(count) + 1);
    return reply != nullptr && reply[count] == protocol::Ack ? reply : nullptr;
}

bool sendAt25Select(SerialChannel& channel) { return channel.sendByte(protocol::At25Select); }
bool sendAt25Deselect(SerialChannel& channel) { return channel.sendByte(protocol::At25Deselect); }
bool at25Select(SerialChannel& channel) { return sendAt25Select(channel) && receiveAck(channel); }
bool at25Deselect(SerialChannel& channel) { return sendAt25Deselect(channel) && receiveAck(channel); }

bool sendSetWaitCode(SerialChannel& channel, std::uint8_t code) {
    return sendPacket(channel, std::array<std::uint8_t, 2>{protocol::SetWaitCode, code});
}

bool setWaitCode(SerialChannel& channel, std::uint8_t code) {
    return sendSetWaitCode(channel, code) && receiveAck(channel);
}

bool sendWriteFlashBytes(SerialChannel& channel, const std::uint8_t* bytes, std::uint8_t count) {
    return sendWithData(channel, {protocol::WriteFlashBytes, count}, bytes, count);
}

bool sendWriteEepromBytes(SerialChannel& channel, const std::uint8_t* bytes, std::uint8_t count) {
    return sendWithData(channel, {protocol::WriteEepromBytes, count}, bytes, count);
}

WriteReply writeFlashBytes(SerialChannel& channel, const std::uint8_t* bytes, std::uint8_t count) {
    return sendWriteFlashBytes(channel, bytes, count) ? receiveWriteReply(channel) : WriteReply::NotSent;
}

WriteReply writeEepromBytes(SerialChannel& channel, const std::uint8_t* bytes, std::uint8_t count) {
    return sendWriteEepromBytes(channel, bytes, count) ? receiveWriteReply(channel) : WriteReply::NotSent;
}

bool sendReadFlashBytes(SerialChannel& channel, std::uint8_t count) {
    if (count > protocol::MaxReadBytes) return false;
    return sendPacket(channel, std::array<std::uint8_t, 2>{protocol::ReadFlashBytes, count});
}

bool sendReadEepromBytes(SerialChannel& channel, std::uint8_t count) {
    if (count > protocol::MaxReadBytes) return false;
    return sendPacket(channel, std::array<std::uint8_t, 2>{protocol::ReadEepromBytes, count});
}

const std::uint8_t* readFlashBytes(SerialChannel& channel, std::uint8_t count) {
    return sendReadFlashBytes(channel, count) ? channel.receive(count) : nullptr;
}

const std::uint8_t* readEepromBytes(SerialChannel& channel, std::uint8_t count) {
    return sendReadEepromBytes(channel, count) ? channel.receive(count) : nullptr;
}

} // namespace tovel::board
