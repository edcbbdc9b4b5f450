// What a memory transfer needs to know besides the bytes: which of the four transfer paths the
// device takes, how many bytes of a buffer the chip holds, and the board wait code, byte delay,
// page delay and chunk pause that the project and the board settings choose.
#pragma once

#include <cstddef>
#include <cstdint>

#include "devices/device_table.h"

namespace tovel {

struct ProjectSettings;
struct BoardDelays;

enum class MemoryKind { Flash, Eeprom };

enum class TransferPath {
    Avr,       // AVR and the AT89S parts with 3-byte instructions: the board writes and reads
    At89Bytes, // AT89S parts with 4-byte instructions: one SPI instruction per byte
    At25,      // AT25 serial EEPROM: pages through the AT25 frame
    DataFlash, // AT45 DataFlash: pages through the chip's SRAM buffer 1
};

TransferPath transferPathOf(const DeviceRecord& device);

// The size of the chip's Flash or EEPROM as a read fills a buffer with it; 0 when the chip has
// no such memory.
std::size_t chipMemorySize(const DeviceRecord& device, MemoryKind memory);

// The bytes of `memory` the chip holds. AT25 and AT45 parts have one memory whatever the run is
// for: its size is their `eepromSize` (AT25) or `flashSize` (AT45).
std::size_t memoryLimit(const DeviceRecord& device, MemoryKind memory);

// The bytes of a buffer of `size` bytes that a transfer handles: no more than the chip holds.
inline std::size_t transferCount(std::size_t size, const DeviceRecord& device, MemoryKind memory) {
    const std::size_t limit = memoryLimit(device, memory);
    return size < limit ? size : limit;
}

// AVR page size in bytes (the table counts 16-bit words); 0 for parts written byte by byte.
inline std::size_t avrPageBytes(const DeviceRecord& device) { return 2 * std::size_t{device.pageSize}; }

// SetWaitCode before writing: the override's delay as a wait code, else the device's own.
std::uint8_t writeDelayCode(const ProjectSettings& project, const DeviceRecord& device, MemoryKind memory);
// SetWaitCode before reading (read, verify, blank check).
std::uint8_t readDelayCode(const ProjectSettings& project, const DeviceRecord& device, MemoryKind memory);
// Pause after each byte of the AT89S byte path: the override's delay, else 12 ms when writing
// and 5 ms when reading.
unsigned writeByteDelayMs(const ProjectSettings& project, MemoryKind memory);
unsigned readByteDelayMs(const ProjectSettings& project, MemoryKind memory);
// The time a page write is given, counted from just before its reply is awaited.
unsigned pageDelayMs(const ProjectSettings& project, const DeviceRecord& device, MemoryKind memory);
// Pauses after each chunk or page written and after each block read (board settings).
unsigned chunkWritePauseMs(const BoardDelays& delays);
unsigned chunkReadPauseMs(const BoardDelays& delays);

} // namespace tovel
