#include "ops/chip_reading_runner.h"

#include <algorithm>
#include <array>

#include "board/board_commands.h"
#include "board/board_protocol.h"

namespace tovel {

namespace {

constexpr std::size_t kChunkBytes = 64;
constexpr unsigned kAt25FramePauseMs = 5;
constexpr unsigned kAt25LeavePauseMs = 150;

constexpr std::uint8_t kLoadExtendedAddress = 0x4D;
constexpr unsigned kSegmentShift = 17;
constexpr std::uint8_t kAt89ReadCode = 0x20;
constexpr std::uint8_t kAt89ReadData = 0xA0;
constexpr std::uint8_t kAt25Read = 0x03;
// Continuous array read from address 0: opcode, three address bytes, four don't-care bytes.
constexpr std::array<std::uint8_t, 8> kDataFlashContinuousRead{0xE8, 0, 0, 0, 0, 0, 0, 0};

std::uint8_t low(std::size_t value) { return static_cast<std::uint8_t>(value & 0xFF); }

std::size_t ceilDiv(std::size_t count, std::size_t unit) { return (count + unit - 1) / unit; }

} // namespace

long ChipReadingRunner::readUnits() const {
    switch (job_.path) {
    case TransferPath::At25:
    case TransferPath::DataFlash:
        return job_.device.pageSize == 0 ? 0 : static_cast<long>(ceilDiv(job_.count, job_.device.pageSize));
    case TransferPath::At89Bytes:
    case TransferPath::Avr:
        break;
    }
    return static_cast<long>(job_.count / kChunkBytes);
}

ChipReadingRunner::ReadEnd ChipReadingRunner::readChip(unsigned titleId, unsigned textId, unsigned at25TextId,
                                                       unsigned dataFlashTextId) {
    const std::string title = messages().text(titleId);
    const TransferPath path = job_.path;
    if ((path == TransferPath::At25 || path == TransferPath::DataFlash) && job_.device.pageSize == 0)
        return ReadEnd::Failed;
    const unsigned text = path == TransferPath::At25        ? at25TextId
                          : path == TransferPath::DataFlash ? dataFlashTextId
                                                            : textId;
    start(title, messages().text(text), readUnits());
    firstUnit_ = 0;
    return readPath();
}

ChipReadingRunner::ReadEnd ChipReadingRunner::readWithinDisplay(long firstUnit) {
    if ((job_.path == TransferPath::At25 || job_.path == TransferPath::DataFlash) &&
        job_.device.pageSize == 0)
        return ReadEnd::Failed;
    firstUnit_ = firstUnit;
    return readPath();
}

ChipReadingRunner::ReadEnd ChipReadingRunner::readPath() {
    switch (job_.path) {
    case TransferPath::At25:
        return readAt25();
    case TransferPath::DataFlash:
        return readDataFlash();
    case TransferPath::At89Bytes:
        return readAt89();
    case TransferPath::Avr:
        break;
    }
    return readAvr();
}

bool ChipReadingRunner::selectSegment(std::size_t offset) {
    const unsigned segment = static_cast<unsigned>(offset >> kSegmentShift);
    if (segment == segment_) return true;
    if (board::spiInstr4(channel(), kLoadExtendedAddress, 0x00, low(segment), 0x00) != protocol::Ack)
        return false;
    segment_ = segment;
    return true;
}

ChipReadingRunner::ReadEnd ChipReadingRunner::readAvr() {
    if (!board::setWaitCode(channel(), job_.delayCode)) {
        noteConnectionErrorBox();
        return ReadEnd::Failed;
    }
    const bool flash = job_.memory == MemoryKind::Flash;
    const std::size_t chunks = ceilDiv(job_.count, kChunkBytes);
    for (std::size_t k = 0; k < chunks; ++k) {
        const std::size_t offset = k * kChunkBytes;
        const auto length = static_cast<std::uint8_t>(std::min(kChunkBytes, job_.count - offset));
        if (flash && !selectSegment(offset)) {
            noteConnectionErrorBox();
            return ReadEnd::Failed;
        }
        const std::uint8_t* bytes =
            flash ? board::readFlashBytes(channel(), length) : board::readEepromBytes(channel(), length);
        if (bytes == nullptr) {
            noteConnectionErrorBox();
            return ReadEnd::Failed;
        }
        if (!accept(offset, bytes, length)) return ReadEnd::Stopped;
        if (cancelRequested()) return ReadEnd::Cancelled;
        pauseMs(job_.chunkPauseMs);
        unitRead(static_cast<long>(k));
    }
    return ReadEnd::Done;
}

ChipReadingRunner::ReadEnd ChipReadingRunner::readAt89() {
    const std::uint8_t instruction = job_.memory == MemoryKind::Flash ? kAt89ReadCode : kAt89ReadData;
    for (std::size_t i = 0; i < job_.count; ++i) {
        const int reply = board::spiInstrRead(channel(), instruction, low(i >> 8), low(i));
        if (reply < 0) {
            noteConnectionErrorBox();
            return ReadEnd::Failed;
        }
        const auto byte = static_cast<std::uint8_t>(reply);
        if (!accept(i, &byte, 1)) return ReadEnd::Stopped;
        if (cancelRequested()) return ReadEnd::Cancelled;
        unitRead(static_cast<long>(i / kChunkBytes));
        pauseMs(job_.byteDelayMs);
    }
    return ReadEnd::Done;
}

ChipReadingRunner::ReadEnd ChipReadingRunner::readAt25() {
    SerialChannel& link = channel();
    const std::size_t pageSize = job_.device.pageSize;
    if (!board::at25Select(link)) return ReadEnd::Failed;
    pauseMs(kAt25FramePauseMs);
    if (!board::at25Deselect(link)) return ReadEnd::Failed;
    pauseMs(kAt25FramePauseMs);
    const std::size_t pages = ceilDiv(job_.count, pageSize);
    for (std::size_t p = 0; p < pages; ++p) {
        const std::size_t offset = p * pageSize;
        const std::size_t length = std::min(pageSize, job_.count - offset);
        if (!board::at25Select(link) || !board::spiSendByte(link, kAt25Read) ||
            !board::spiSendByte(link, low(offset >> 8)) || !board::spiSendByte(link, low(offset)))
            return ReadEnd::Failed;
        for (std::size_t j = 0; j < length; ++j) {
            const int reply = board::spiReadByte(link);
            if (reply < 0) return ReadEnd::Failed;
            const auto byte = static_cast<std::uint8_t>(reply);
            if (!accept(offset + j, &byte, 1)) return ReadEnd::Stopped;
        }
        if (!board::at25Deselect(link)) return ReadEnd::Failed;
        if (cancelRequested()) return ReadEnd::Cancelled;
        unitRead(static_cast<long>(p));
    }
    if (!job_.leaveAt25AfterRead) return ReadEnd::Done;
    pauseMs(kAt25LeavePauseMs);
    return board::leaveProgramming(link) ? ReadEnd::Done : ReadEnd::Failed;
}

ChipReadingRunner::ReadEnd ChipReadingRunner::readDataFlash() {
    SerialChannel& link = channel();
    const std::size_t pageSize = job_.device.pageSize;
    if (!board::spiDeselect(link) || !board::spiSelect(link) ||
        !board::spiWriteBlock(link, kDataFlashContinuousRead.data(), kDataFlashContinuousRead.size()))
        return ReadEnd::Failed;
    const std::size_t pages = ceilDiv(job_.count, pageSize);
    for (std::size_t p = 0; p < pages; ++p) {
        const std::size_t offset = p * pageSize;
        const std::size_t length = std::min(pageSize, job_.count - offset);
        if (!board::sendSpiReadBlock(link, static_cast<std::uint16_t>(length))) return ReadEnd::Failed;
        const std::uint8_t* bytes = link.receive(length);
        if (bytes == nullptr) return ReadEnd::Failed;
        // The bytes count even when the acknowledge after them does not come.
        const bool goOn = accept(offset, bytes, length);
        const bool acknowledged = link.receiveByte() == protocol::Ack;
        if (!goOn) return ReadEnd::Stopped;
        if (!acknowledged) return ReadEnd::Failed;
        if (cancelRequested()) return ReadEnd::Cancelled;
        unitRead(static_cast<long>(p));
    }
    // The frame stays open: ending the session ends it.
    return ReadEnd::Done;
}

} // namespace tovel
