// A gang run gives every board its own Workbench (its own session, runner and buffers). The job
// - the project's settings and the two images - is read once into the job's Workbench and copied
// from there, so every board programs exactly the same bytes, whatever happens to the files.
#pragma once

#include <cstdint>
#include <vector>

#include "production/serial_allocator.h"

namespace tovel {

class MemoryBuffer;
class Workbench;

// Copies the project's settings, the device and both buffers of `job` into `board`. The board's
// own serial-number increments are switched off: its numbers come from the allocator
// (stampSerials). So are its reload steps: they would read the files again, and a reloaded image
// would carry the file's counter instead of the chip's number. False when memory ran out.
bool copyJobTo(const Workbench& job, Workbench& board);

// The counters the job's chips take numbers from: Flash and EEPROM, each when its increment is
// on and its buffer holds data, starting at the value the job's image holds.
std::vector<CounterClaim> serialClaims(const Workbench& job);

// Writes the chip's numbers into the board's buffers at the job's counter addresses.
void stampSerials(const Workbench& job, Workbench& board, const ChipRecord& chip);

// After a chip passed: the job image's counters move past its numbers (never back), so that a
// saved image starts the next run after them even without the allocator's store.
void advanceJobCounters(Workbench& job, const ChipRecord& chip);

// The counter ending at `address` (at or past the end: the last byte), up to four bytes, most
// significant first; its width in bytes (0 for an empty buffer), value and largest value.
std::size_t counterWidth(const MemoryBuffer& buffer, std::uint32_t address);
std::uint64_t counterValue(const MemoryBuffer& buffer, std::uint32_t address);
std::uint64_t counterLimit(std::size_t width);
// Writes `value` into the counter (its low bytes, as many as the counter holds) and marks the
// bytes changed in memory.
void writeCounterValue(MemoryBuffer& buffer, std::uint32_t address, std::uint64_t value);

} // namespace tovel
