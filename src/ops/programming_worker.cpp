#include "ops/programming_worker.h"

#include <algorithm>
#include <array>
#include <vector>

#include "board/board_commands.h"
#include "board/board_protocol.h"
#include "image/byte_attribute.h"

namespace tovel {

namespace {

constexpr std::size_t kChunkBytes = 64;
constexpr unsigned kAt25FramePauseMs = 5;
constexpr unsigned kAt25LeavePauseMs = 150;

// AVR serial programming instructions the program issues itself.
constexpr std::uint8_t kWriteProgramMemoryPage = 0x4C;
constexpr std::uint8_t kLoadExtendedAddress = 0x4D;
constexpr std::uint8_t kAt89WriteCode = 0x40;
constexpr std::uint8_t kAt89WriteData = 0xC0;
// One segment of the extended address: 64 Ki words.
constexpr unsigned kSegmentShift = 17;

// AT25 instructions.
constexpr std::uint8_t kAt25WriteEnable = 0x06;
constexpr std::uint8_t kAt25Write = 0x02;
constexpr std::uint8_t kAt25WriteDisable = 0x04;

// AT45 instructions.
constexpr std::uint8_t kDataFlashBuffer1Write = 0x84;
constexpr std::uint8_t kDataFlashBuffer1ToPageWithErase = 0x83;

std::uint8_t low(std::size_t value) { return static_cast<std::uint8_t>(value & 0xFF); }

std::size_t ceilDiv(std::size_t count, std::size_t unit) { return (count + unit - 1) / unit; }

Outcome writeFailure(board::WriteReply reply) {
    return reply == board::WriteReply::PollingError ? Outcome::PollingFailed : Outcome::Failed;
}

} // namespace

bool canWriteOnlyChanges(TransferPath path, MemoryKind memory) {
    switch (path) {
    case TransferPath::At25:
    case TransferPath::DataFlash:
        return true;
    case TransferPath::Avr:
    case TransferPath::At89Bytes:
        break;
    }
    return memory == MemoryKind::Eeprom;
}

ProgrammingWorker::ProgrammingWorker(const Messages& messages, SerialChannel& channel, Clock& clock,
                                     const ProgrammingJob& job, std::span<const std::uint8_t> data,
                                     std::span<std::uint8_t> attributes)
    : ChipReadingRunner(messages, channel, clock, ReadingJob{}), job_(job), data_(data),
      attributes_(attributes) {
    job_.count = std::min({job_.count, data_.size(), attributes_.size()});
}

void ProgrammingWorker::writeOnlyChanges(const ReadingJob& compareRead) {
    if (!canWriteOnlyChanges(compareRead.path, job_.memory)) return;
    ReadingJob read = compareRead;
    read.memory = job_.memory;
    read.count = job_.count;
    // The writes follow in the same programming mode.
    read.leaveAt25AfterRead = false;
    setReadingJob(read);
    compare_ = true;
}

bool ProgrammingWorker::accept(std::size_t offset, const std::uint8_t* bytes, std::size_t count) {
    std::copy_n(bytes, count, chip_.begin() + static_cast<std::ptrdiff_t>(offset));
    return true;
}

bool ProgrammingWorker::differs(std::size_t offset, std::size_t length) const {
    if (!compare_) return true;
    return !std::equal(data_.begin() + static_cast<std::ptrdiff_t>(offset),
                       data_.begin() + static_cast<std::ptrdiff_t>(offset + length),
                       chip_.begin() + static_cast<std::ptrdiff_t>(offset));
}

long ProgrammingWorker::writeUnits(TransferPath path) const {
    switch (path) {
    case TransferPath::At25:
    case TransferPath::DataFlash:
        return job_.device.pageSize == 0 ? 0 : static_cast<long>(ceilDiv(job_.count, job_.device.pageSize));
    case TransferPath::At89Bytes:
        return static_cast<long>(job_.count);
    case TransferPath::Avr:
        break;
    }
    const bool pageMode = job_.device.pageSize != 0 && job_.memory == MemoryKind::Flash;
    return static_cast<long>(job_.count / (pageMode ? avrPageBytes(job_.device) : kChunkBytes));
}

void ProgrammingWorker::beginWrites(unsigned textId, long units) {
    if (compare_) return;
    start(messages().text(msg::Program), messages().text(textId), units);
}

// One display for the read and the writes: the read's units first, then the write units.
Outcome ProgrammingWorker::readChipFirst(TransferPath path) {
    const unsigned text = path == TransferPath::At25        ? msg::ProgrammingEeprom
                          : path == TransferPath::DataFlash ? msg::ProgrammingFlash
                                                            : textId();
    firstWriteUnit_ = readUnits();
    start(messages().text(msg::Program), messages().text(text), firstWriteUnit_ + writeUnits(path));
    chip_.assign(job_.count, 0xFF);
    return outcomeOf(readWithinDisplay(0));
}

unsigned ProgrammingWorker::textId() const {
    return job_.memory == MemoryKind::Flash ? msg::ProgrammingFlash : msg::ProgrammingEeprom;
}

void ProgrammingWorker::markProgrammed(std::size_t offset, std::size_t length) {
    std::fill_n(attributes_.begin() + static_cast<std::ptrdiff_t>(offset), length,
                static_cast<std::uint8_t>(ByteAttribute::Programmed));
}

Outcome ProgrammingWorker::run() {
    const TransferPath path = transferPathOf(job_.device);
    if (compare_) {
        if (const Outcome read = readChipFirst(path); read != Outcome::Ok) return read;
    }
    switch (path) {
    case TransferPath::DataFlash:
        return dataFlashPages();
    case TransferPath::At89Bytes:
        return at89Bytes();
    case TransferPath::At25:
        return at25Pages();
    case TransferPath::Avr:
        break;
    }
    if (!board::setWaitCode(channel(), job_.delayCode)) return failWithBox(Outcome::Failed);
    const bool pageMode = job_.device.pageSize != 0 && job_.memory == MemoryKind::Flash;
    return pageMode ? avrPages() : avrBytes();
}

bool ProgrammingWorker::selectSegment(std::size_t offset) {
    const unsigned segment = static_cast<unsigned>(offset >> kSegmentShift);
    if (segment == segment_) return true;
    if (board::spiInstr4(channel(), kLoadExtendedAddress, 0x00, low(segment), 0x00) != protocol::Ack)
        return false;
    segment_ = segment;
    return true;
}

Outcome ProgrammingWorker::avrPages() {
    const std::size_t pageBytes = avrPageBytes(job_.device);
    const std::size_t quarter = pageBytes / 4;
    beginWrites(msg::ProgrammingFlash, writeUnits(TransferPath::Avr));
    if (!board::setAddress(channel(), 0)) return failWithBox(Outcome::Failed);

    std::vector<std::uint8_t> page(pageBytes);
    const std::size_t pages = ceilDiv(job_.count, pageBytes);
    const std::uint64_t pageDelayUs = std::uint64_t{job_.pageDelayMs} * 1000;
    for (std::size_t p = 0; p < pages; ++p) {
        const std::size_t offset = p * pageBytes;
        const std::size_t length = std::min(pageBytes, job_.count - offset);
        std::fill(std::copy_n(data_.begin() + static_cast<std::ptrdiff_t>(offset), length, page.begin()),
                  page.end(), std::uint8_t{0xFF});
        // An erased page already holds 0xFF: writing it would only cost time.
        const bool blank = std::all_of(page.begin(), page.end(), [](std::uint8_t b) { return b == 0xFF; });
        if (!blank) {
            if (!selectSegment(offset)) return failWithBox(Outcome::Failed);
            for (std::size_t q = 0; q < 4; ++q) {
                const board::WriteReply reply = board::writeFlashBytes(channel(), page.data() + q * quarter,
                                                                       static_cast<std::uint8_t>(quarter));
                if (reply != board::WriteReply::Done) return failWithBox(writeFailure(reply));
            }
            const std::size_t word = offset >> 1;
            if (!board::sendSpiInstr4(channel(), kWriteProgramMemoryPage, low(word >> 8), low(word), 0x00))
                return failWithBox(Outcome::Failed);
            // The page delay runs from here: the time the reply takes counts toward it.
            const std::uint64_t sent = clock().tickUs();
            const int reply = channel().receiveByte();
            const std::uint64_t elapsed = clock().tickUs() - sent;
            if (elapsed < pageDelayUs) clock().sleepUs(pageDelayUs - elapsed);
            if (reply != protocol::Ack) return failWithBox(Outcome::Failed);
        }
        markProgrammed(offset, length);
        if (cancelRequested()) return Outcome::Cancelled;
        pauseMs(job_.chunkPauseMs);
        unitWritten(static_cast<long>(p));
    }
    return Outcome::Ok;
}

Outcome ProgrammingWorker::avrBytes() {
    beginWrites(textId(), writeUnits(TransferPath::Avr));
    const std::size_t chunks = ceilDiv(job_.count, kChunkBytes);
    for (std::size_t k = 0; k < chunks; ++k) {
        const std::size_t offset = k * kChunkBytes;
        const std::size_t length = std::min(kChunkBytes, job_.count - offset);
        if (compare_) {
            if (!differs(offset, length)) {
                markProgrammed(offset, length);
                if (cancelRequested()) return Outcome::Cancelled;
                unitWritten(static_cast<long>(k));
                continue;
            }
            if (const Outcome written = writeChangedEeprom(offset, length); written != Outcome::Ok)
                return written;
            markProgrammed(offset, length);
            if (cancelRequested()) return Outcome::Cancelled;
            pauseMs(job_.chunkPauseMs);
            unitWritten(static_cast<long>(k));
            continue;
        }
        const std::uint8_t* bytes = data_.data() + offset;
        const auto count = static_cast<std::uint8_t>(length);
        const board::WriteReply reply = job_.memory == MemoryKind::Flash
                                            ? board::writeFlashBytes(channel(), bytes, count)
                                            : board::writeEepromBytes(channel(), bytes, count);
        // A polling failure has its own message in the handler; everything else is a link fault.
        if (reply == board::WriteReply::PollingError) return Outcome::PollingFailed;
        if (reply != board::WriteReply::Done) return failWithBox(Outcome::Failed);
        markProgrammed(offset, length);
        if (cancelRequested()) return Outcome::Cancelled;
        pauseMs(job_.chunkPauseMs);
        unitWritten(static_cast<long>(k));
    }
    return Outcome::Ok;
}

// Each run of differing bytes of the chunk at its own address: the board's pointer is moved
// over the bytes the chip already holds.
Outcome ProgrammingWorker::writeChangedEeprom(std::size_t offset, std::size_t length) {
    std::size_t j = 0;
    while (j < length) {
        if (!differs(offset + j, 1)) {
            ++j;
            continue;
        }
        std::size_t end = j + 1;
        while (end < length && differs(offset + end, 1)) ++end;
        if (!board::setAddress(channel(), static_cast<std::uint16_t>(offset + j)))
            return failWithBox(Outcome::Failed);
        const board::WriteReply reply =
            board::writeEepromBytes(channel(), data_.data() + offset + j, static_cast<std::uint8_t>(end - j));
        if (reply == board::WriteReply::PollingError) return Outcome::PollingFailed;
        if (reply != board::WriteReply::Done) return failWithBox(Outcome::Failed);
        j = end;
    }
    return Outcome::Ok;
}

Outcome ProgrammingWorker::at89Bytes() {
    beginWrites(textId(), writeUnits(TransferPath::At89Bytes));
    const std::uint8_t instruction = job_.memory == MemoryKind::Flash ? kAt89WriteCode : kAt89WriteData;
    for (std::size_t i = 0; i < job_.count; ++i) {
        if (!differs(i, 1)) {
            markProgrammed(i, 1);
            if (cancelRequested()) return Outcome::Cancelled;
            unitWritten(static_cast<long>(i));
            continue;
        }
        // The reply's value does not matter; only that it came.
        if (board::spiInstr4(channel(), instruction, low(i >> 8), low(i), data_[i]) < 0)
            return failWithBox(Outcome::Failed);
        markProgrammed(i, 1);
        if (cancelRequested()) return Outcome::Cancelled;
        pauseMs(job_.byteDelayMs);
        unitWritten(static_cast<long>(i));
    }
    return Outcome::Ok;
}

Outcome ProgrammingWorker::at25Pages() {
    const std::size_t pageSize = job_.device.pageSize;
    if (pageSize == 0) return Outcome::Failed;
    const std::size_t pages = ceilDiv(job_.count, pageSize);
    beginWrites(msg::ProgrammingEeprom, static_cast<long>(pages));
    SerialChannel& link = channel();
    if (!board::at25Select(link)) return Outcome::Failed;
    pauseMs(kAt25FramePauseMs);
    if (!board::at25Deselect(link)) return Outcome::Failed;
    pauseMs(kAt25FramePauseMs);

    const auto instruction = [&link](std::uint8_t code) {
        return board::at25Select(link) && board::spiSendByte(link, code) && board::at25Deselect(link);
    };
    for (std::size_t p = 0; p < pages; ++p) {
        const std::size_t offset = p * pageSize;
        const std::size_t length = std::min(pageSize, job_.count - offset);
        if (!differs(offset, length)) {
            markProgrammed(offset, length);
            if (cancelRequested()) return Outcome::Cancelled;
            unitWritten(static_cast<long>(p));
            continue;
        }
        if (!instruction(kAt25WriteEnable)) return Outcome::Failed;
        if (!board::at25Select(link) || !board::spiSendByte(link, kAt25Write) ||
            !board::spiSendByte(link, low(offset >> 8)) || !board::spiSendByte(link, low(offset)))
            return Outcome::Failed;
        for (std::size_t j = 0; j < length; ++j) {
            if (!board::spiSendByte(link, data_[offset + j])) return Outcome::Failed;
            markProgrammed(offset + j, 1);
        }
        if (!board::at25Deselect(link)) return Outcome::Failed;
        if (!instruction(kAt25WriteDisable)) return Outcome::Failed;
        if (cancelRequested()) return Outcome::Cancelled;
        unitWritten(static_cast<long>(p));
    }
    pauseMs(kAt25LeavePauseMs);
    return board::leaveProgramming(link) ? Outcome::Ok : Outcome::Failed;
}

Outcome ProgrammingWorker::dataFlashPages() {
    const std::size_t pageSize = job_.device.pageSize;
    if (pageSize == 0) return Outcome::Failed;
    const std::size_t pages = ceilDiv(job_.count, pageSize);
    const unsigned shift = job_.device.dataFlashPageShift;
    beginWrites(msg::ProgrammingFlash, static_cast<long>(pages));
    SerialChannel& link = channel();
    if (!board::spiDeselect(link)) return Outcome::Failed;

    constexpr std::array<std::uint8_t, 4> bufferWrite{kDataFlashBuffer1Write, 0x00, 0x00, 0x00};
    std::vector<std::uint8_t> block(pageSize);
    for (std::size_t p = 0; p < pages; ++p) {
        const std::size_t offset = p * pageSize;
        const std::size_t length = std::min(pageSize, job_.count - offset);
        if (!differs(offset, length)) {
            markProgrammed(offset, length);
            if (cancelRequested()) return Outcome::Cancelled;
            unitWritten(static_cast<long>(p));
            continue;
        }
        if (!board::spiSelect(link) || !board::spiWriteBlock(link, bufferWrite.data(), bufferWrite.size()))
            return Outcome::Failed;
        std::fill(std::copy_n(data_.begin() + static_cast<std::ptrdiff_t>(offset), length, block.begin()),
                  block.end(), std::uint8_t{0xFF});
        if (!board::spiWriteBlock(link, block.data(), static_cast<std::uint16_t>(pageSize)))
            return Outcome::Failed;
        markProgrammed(offset, length);
        if (!board::spiDeselect(link) || !board::spiSelect(link)) return Outcome::Failed;
        const std::size_t address = p << shift;
        const std::array<std::uint8_t, 4> program{kDataFlashBuffer1ToPageWithErase, low(address >> 8),
                                                  low(address), 0x00};
        if (!board::spiWriteBlock(link, program.data(), program.size()) || !board::spiDeselect(link))
            return Outcome::Failed;
        pauseMs(job_.pageDelayMs);
        if (cancelRequested()) return Outcome::Cancelled;
        unitWritten(static_cast<long>(p));
    }
    return Outcome::Ok;
}

} // namespace tovel
