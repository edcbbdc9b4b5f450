#include "production/job_copy.h"

#include <algorithm>

#include "image/byte_attribute.h"
#include "image/memory_buffer.h"
#include "project/project.h"
#include "workbench/workbench.h"

namespace tovel {

namespace {

constexpr std::size_t kCounterBytes = 4;
constexpr const char* kFlashCounter = "flash";
constexpr const char* kEepromCounter = "eeprom";

std::size_t lastByte(const MemoryBuffer& buffer, std::uint32_t address) {
    return std::min<std::size_t>(address, buffer.size() - 1);
}

bool counting(const Workbench& job, Memory memory) {
    const Project& project = job.project();
    const bool on = memory == Memory::Flash ? project.autoIncrementFlash : project.autoIncrementEeprom;
    return on && job.buffer(memory).hasData();
}

std::uint32_t counterAddress(const Workbench& job, Memory memory) {
    const Project& project = job.project();
    return memory == Memory::Flash ? project.autoIncAddressFlash : project.autoIncAddressEeprom;
}

} // namespace

std::size_t counterWidth(const MemoryBuffer& buffer, std::uint32_t address) {
    if (!buffer.hasData()) return 0;
    return std::min(kCounterBytes, lastByte(buffer, address) + 1);
}

std::uint64_t counterValue(const MemoryBuffer& buffer, std::uint32_t address) {
    const std::size_t width = counterWidth(buffer, address);
    std::uint64_t value = 0;
    if (width == 0) return value;
    const std::size_t last = lastByte(buffer, address);
    for (std::size_t i = last + 1 - width; i <= last; ++i) value = (value << 8) | buffer.data()[i];
    return value;
}

std::uint64_t counterLimit(std::size_t width) {
    return width == 0 ? 0 : (std::uint64_t{1} << (8 * width)) - 1;
}

void writeCounterValue(MemoryBuffer& buffer, std::uint32_t address, std::uint64_t value) {
    const std::size_t width = counterWidth(buffer, address);
    if (width == 0) return;
    const std::size_t last = lastByte(buffer, address);
    for (std::size_t k = 0; k < width; ++k) {
        buffer.data()[last - k] = static_cast<std::uint8_t>(value >> (8 * k));
        buffer.attributes()[last - k] = static_cast<std::uint8_t>(ByteAttribute::ChangedInMemory);
    }
}

bool copyJobTo(const Workbench& job, Workbench& board) {
    ProjectSettings& settings = board.project();
    settings = static_cast<const ProjectSettings&>(job.project());
    settings.autoIncrementFlash = false;
    settings.autoIncrementEeprom = false;
    // The job was read once; a reload would read the files again and undo the stamped numbers.
    settings.autoFlashReload = false;
    settings.autoEepromReload = false;
    board.selectDevice(job.deviceNo());
    return board.buffer(Memory::Flash).copyFrom(job.buffer(Memory::Flash)) &&
           board.buffer(Memory::Eeprom).copyFrom(job.buffer(Memory::Eeprom));
}

std::vector<CounterClaim> serialClaims(const Workbench& job) {
    std::vector<CounterClaim> claims;
    for (const Memory memory : {Memory::Flash, Memory::Eeprom}) {
        if (!counting(job, memory)) continue;
        const MemoryBuffer& buffer = job.buffer(memory);
        const std::uint32_t address = counterAddress(job, memory);
        claims.push_back({memory == Memory::Flash ? kFlashCounter : kEepromCounter,
                          counterValue(buffer, address), counterLimit(counterWidth(buffer, address))});
    }
    return claims;
}

void stampSerials(const Workbench& job, Workbench& board, const ChipRecord& chip) {
    if (chip.flashSerial && counting(job, Memory::Flash))
        writeCounterValue(board.buffer(Memory::Flash), counterAddress(job, Memory::Flash), *chip.flashSerial);
    if (chip.eepromSerial && counting(job, Memory::Eeprom))
        writeCounterValue(board.buffer(Memory::Eeprom), counterAddress(job, Memory::Eeprom),
                          *chip.eepromSerial);
}

void advanceJobCounters(Workbench& job, const ChipRecord& chip) {
    const struct {
        Memory memory;
        std::optional<std::uint64_t> serial;
    } counters[] = {{Memory::Flash, chip.flashSerial}, {Memory::Eeprom, chip.eepromSerial}};
    for (const auto& counter : counters) {
        if (!counter.serial || !counting(job, counter.memory)) continue;
        MemoryBuffer& buffer = job.buffer(counter.memory);
        const std::uint32_t address = counterAddress(job, counter.memory);
        const std::uint64_t next = *counter.serial + 1;
        if (next > counterLimit(counterWidth(buffer, address)) || next <= counterValue(buffer, address))
            continue;
        writeCounterValue(buffer, address, next);
        buffer.markModified();
    }
}

} // namespace tovel
