// The serial-number allocator in an SQLite file beside the project (write-ahead log, full
// synchronisation, one immediate transaction per chip). Several processes may open the same file.
#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "production/serial_allocator.h"

struct sqlite3;

namespace tovel {

class SqliteSerialAllocator final : public SerialAllocator {
public:
    // Opens (creating) the store at `path`; check ok() and lastError().
    explicit SqliteSerialAllocator(const std::string& path);
    ~SqliteSerialAllocator() override;
    SqliteSerialAllocator(const SqliteSerialAllocator&) = delete;
    SqliteSerialAllocator& operator=(const SqliteSerialAllocator&) = delete;

    bool ok() const { return db_ != nullptr; }

    bool allocate(const std::vector<CounterClaim>& claims, ChipRecord& chip) override;
    bool finish(const ChipRecord& chip) override;
    std::optional<std::uint64_t> next(const std::string& counter) override;
    ChipCounts counts() override;
    std::vector<ChipRecord> chips() override;
    std::string lastError() const override;

    // The store's file for a project file: "job.tvk" -> "job.serials.db".
    static std::string pathForProject(const std::string& projectPath);

private:
    bool execute(const char* sql);
    bool fail();
    bool allocateLocked(const std::vector<CounterClaim>& claims, ChipRecord& chip);

    sqlite3* db_ = nullptr;
    mutable std::mutex mutex_;
    std::string error_;
};

} // namespace tovel
