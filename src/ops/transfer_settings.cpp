#include "ops/transfer_settings.h"

#include "project/board_settings.h"
#include "project/project_settings.h"

namespace tovel {

namespace {

constexpr unsigned kDefaultWriteByteDelayMs = 12;
constexpr unsigned kDefaultReadByteDelayMs = 5;

// Values from a project file may be negative; a negative delay waits nothing.
unsigned nonNegative(long long ms) { return ms > 0 ? static_cast<unsigned>(ms) : 0U; }

struct ByteDelayOverride {
    bool on;
    std::uint32_t ms;
};

ByteDelayOverride byteDelayOverride(const ProjectSettings& project, MemoryKind memory) {
    return memory == MemoryKind::Flash
               ? ByteDelayOverride{project.flashByteDelayOverride, project.flashByteDelayMs}
               : ByteDelayOverride{project.eepromByteDelayOverride, project.eepromByteDelayMs};
}

std::uint8_t codeFor(ByteDelayOverride override, std::int32_t deviceCode) {
    // The arithmetic is on the low byte, so long delays wrap as the board takes them.
    if (override.on) return static_cast<std::uint8_t>((255U - 7U * override.ms) & 0xFFU);
    return static_cast<std::uint8_t>(deviceCode & 0xFF);
}

} // namespace

TransferPath transferPathOf(const DeviceRecord& device) {
    if (device.isDataFlash()) return TransferPath::DataFlash;
    if (device.spiVariant == SpiVariant::At89S51) return TransferPath::At89Bytes;
    if (device.spiVariant == SpiVariant::At25) return TransferPath::At25;
    return TransferPath::Avr;
}

std::size_t chipMemorySize(const DeviceRecord& device, MemoryKind memory) {
    if (memory == MemoryKind::Flash) return device.flashSize;
    return device.isDataFlash() ? 0 : device.eepromSize;
}

std::size_t memoryLimit(const DeviceRecord& device, MemoryKind memory) {
    switch (transferPathOf(device)) {
    case TransferPath::At25:
        return device.eepromSize;
    case TransferPath::DataFlash:
        return device.flashSize;
    default:
        return memory == MemoryKind::Flash ? device.flashSize : device.eepromSize;
    }
}

std::uint8_t writeDelayCode(const ProjectSettings& project, const DeviceRecord& device, MemoryKind memory) {
    return codeFor(byteDelayOverride(project, memory),
                   memory == MemoryKind::Flash ? device.flashWriteDelayCode : device.eepromWriteDelayCode);
}

std::uint8_t readDelayCode(const ProjectSettings& project, const DeviceRecord& device, MemoryKind memory) {
    return codeFor(byteDelayOverride(project, memory),
                   memory == MemoryKind::Flash ? device.flashReadDelayCode : device.eepromReadDelayCode);
}

unsigned writeByteDelayMs(const ProjectSettings& project, MemoryKind memory) {
    const ByteDelayOverride override = byteDelayOverride(project, memory);
    return override.on ? override.ms : kDefaultWriteByteDelayMs;
}

unsigned readByteDelayMs(const ProjectSettings& project, MemoryKind memory) {
    const ByteDelayOverride override = byteDelayOverride(project, memory);
    return override.on ? override.ms : kDefaultReadByteDelayMs;
}

unsigned pageDelayMs(const ProjectSettings& project, const DeviceRecord& device, MemoryKind memory) {
    if (memory == MemoryKind::Flash && project.flashPageDelayOverride)
        return nonNegative(project.flashPageDelayMs);
    if (memory == MemoryKind::Eeprom && project.eepromPageDelayOverride)
        return nonNegative(project.eepromPageDelayMs);
    return device.pageWriteTimeMs;
}

unsigned chunkWritePauseMs(const BoardDelays& delays) { return nonNegative(delays.pageWriteDelayMs); }
unsigned chunkReadPauseMs(const BoardDelays& delays) { return nonNegative(delays.pageReadDelayMs); }

} // namespace tovel
