// The serial-number allocator of a production job: one number sequence per counter ("flash",
// "eeprom") shared by every board, every run and every process on the job, and one record a chip.
//
// A number is handed out only after the store has durably recorded it as spent, so a crash,
// a power loss or a killed process can lose a number but never hand it out twice. A number
// spent on a chip that then failed stays spent. The store sits behind this interface so that a
// shared database server can take the place of the local file for several stations.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "production/chip_record.h"

namespace tovel {

// One counter a chip takes a number from.
struct CounterClaim {
    std::string name;        // "flash" or "eeprom"
    std::uint64_t floor = 0; // the number is at least this (the job image's counter value)
    std::uint64_t limit = 0; // the largest number the counter's bytes hold
};

struct ChipCounts {
    int passed = 0;
    int failed = 0; // failed, or never finished (the numbers spent all the same)
    int total = 0;
};

class SerialAllocator {
public:
    virtual ~SerialAllocator() = default;

    // Takes the next number of every claimed counter and records `chip` as spent with them, in
    // one committed transaction. On success fills chip.id and the serial fields and returns true;
    // false (nothing taken) when the store cannot be written or a counter would pass its limit.
    // Thread-safe.
    virtual bool allocate(const std::vector<CounterClaim>& claims, ChipRecord& chip) = 0;
    // Writes the chip's outcome, durations and texts over its record. False when it cannot.
    virtual bool finish(const ChipRecord& chip) = 0;
    // The number the counter hands out next (before any floor); nothing for a counter never used.
    virtual std::optional<std::uint64_t> next(const std::string& counter) = 0;
    // How many chips were recorded, by outcome.
    virtual ChipCounts counts() = 0;
    // Every chip recorded, oldest first.
    virtual std::vector<ChipRecord> chips() = 0;
    // Why the last call failed, for the person.
    virtual std::string lastError() const = 0;
};

} // namespace tovel
