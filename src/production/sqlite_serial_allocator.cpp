#include "production/sqlite_serial_allocator.h"

#include <filesystem>

#include <sqlite3.h>

namespace tovel {

namespace {

// Another process holding the write lock makes us wait this long before giving up.
constexpr int kBusyTimeoutMs = 10000;

constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS counters (
    name TEXT PRIMARY KEY,
    next INTEGER NOT NULL
);
CREATE TABLE IF NOT EXISTS chips (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    started_at TEXT NOT NULL,
    port TEXT NOT NULL,
    board_serial TEXT NOT NULL,
    device TEXT NOT NULL,
    signature TEXT NOT NULL,
    flash_serial INTEGER,
    eeprom_serial INTEGER,
    result TEXT NOT NULL,
    exit_code INTEGER NOT NULL,
    status TEXT NOT NULL,
    duration_ms INTEGER NOT NULL
);
CREATE UNIQUE INDEX IF NOT EXISTS chips_flash_serial ON chips(flash_serial) WHERE flash_serial IS NOT NULL;
CREATE UNIQUE INDEX IF NOT EXISTS chips_eeprom_serial ON chips(eeprom_serial) WHERE eeprom_serial IS NOT NULL;
)sql";

// A prepared statement that is finalised on every path.
class Statement {
public:
    Statement(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &statement_, nullptr); }
    ~Statement() { sqlite3_finalize(statement_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool ok() const { return statement_ != nullptr; }
    Statement& bind(int index, const std::string& text) {
        sqlite3_bind_text(statement_, index, text.c_str(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Statement& bind(int index, std::int64_t value) {
        sqlite3_bind_int64(statement_, index, value);
        return *this;
    }
    Statement& bind(int index, const std::optional<std::uint64_t>& value) {
        if (value)
            sqlite3_bind_int64(statement_, index, static_cast<std::int64_t>(*value));
        else
            sqlite3_bind_null(statement_, index);
        return *this;
    }
    // SQLITE_ROW, SQLITE_DONE or an error code.
    int step() { return ok() ? sqlite3_step(statement_) : SQLITE_ERROR; }
    std::int64_t integer(int column) const { return sqlite3_column_int64(statement_, column); }
    bool isNull(int column) const { return sqlite3_column_type(statement_, column) == SQLITE_NULL; }
    std::string text(int column) const {
        const unsigned char* value = sqlite3_column_text(statement_, column);
        return value ? reinterpret_cast<const char*>(value) : "";
    }

private:
    sqlite3_stmt* statement_ = nullptr;
};

std::optional<ChipResult> resultFromName(const std::string& name) {
    for (const ChipResult result : {ChipResult::Spent, ChipResult::Passed, ChipResult::Failed})
        if (name == chipResultName(result)) return result;
    return std::nullopt;
}

} // namespace

SqliteSerialAllocator::SqliteSerialAllocator(const std::string& path) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                        nullptr) != SQLITE_OK) {
        error_ = db ? sqlite3_errmsg(db) : "out of memory";
        sqlite3_close(db);
        return;
    }
    db_ = db;
    sqlite3_busy_timeout(db_, kBusyTimeoutMs);
    // WAL keeps readers off the writer's back; FULL syncs the log at every commit, so a committed
    // number survives a power loss as well as a killed process (NORMAL would only survive the latter).
    Statement wal(db_, "PRAGMA journal_mode=WAL");
    const bool walOn = wal.step() == SQLITE_ROW && wal.text(0) == "wal";
    if (!walOn || !execute("PRAGMA synchronous=FULL") || !execute(kSchema)) {
        if (error_.empty()) error_ = "the store could not be switched to write-ahead logging";
        sqlite3_close(db_);
        db_ = nullptr;
    }
}

SqliteSerialAllocator::~SqliteSerialAllocator() { sqlite3_close(db_); }

std::string SqliteSerialAllocator::pathForProject(const std::string& projectPath) {
    std::filesystem::path path(projectPath);
    path.replace_extension(".serials.db");
    return path.string();
}

bool SqliteSerialAllocator::execute(const char* sql) {
    char* message = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) == SQLITE_OK) return true;
    error_ = message ? message : sqlite3_errmsg(db_);
    sqlite3_free(message);
    return false;
}

bool SqliteSerialAllocator::fail() {
    error_ = sqlite3_errmsg(db_);
    return false;
}

std::string SqliteSerialAllocator::lastError() const {
    std::lock_guard lock(mutex_);
    return error_;
}

bool SqliteSerialAllocator::allocate(const std::vector<CounterClaim>& claims, ChipRecord& chip) {
    std::lock_guard lock(mutex_);
    if (!db_) return false;
    // IMMEDIATE takes the write lock at once: two processes never read the same `next`.
    if (!execute("BEGIN IMMEDIATE")) return false;
    ChipRecord taken = chip;
    if (!allocateLocked(claims, taken) || !execute("COMMIT")) {
        const std::string why = error_;
        execute("ROLLBACK");
        error_ = why;
        return false;
    }
    chip = taken;
    return true;
}

bool SqliteSerialAllocator::allocateLocked(const std::vector<CounterClaim>& claims, ChipRecord& chip) {
    chip.flashSerial.reset();
    chip.eepromSerial.reset();
    chip.result = ChipResult::Spent;
    for (const CounterClaim& claim : claims) {
        Statement read(db_, "SELECT next FROM counters WHERE name = ?1");
        read.bind(1, claim.name);
        const int stepped = read.step();
        if (stepped != SQLITE_ROW && stepped != SQLITE_DONE) return fail();
        std::uint64_t number = claim.floor;
        if (stepped == SQLITE_ROW) number = std::max(number, static_cast<std::uint64_t>(read.integer(0)));
        // Wrapping round would hand out the first numbers again.
        if (number > claim.limit) {
            error_ = "counter " + claim.name + " has no numbers left";
            return false;
        }
        Statement write(db_, "INSERT INTO counters(name, next) VALUES(?1, ?2) "
                             "ON CONFLICT(name) DO UPDATE SET next = excluded.next");
        write.bind(1, claim.name).bind(2, static_cast<std::int64_t>(number + 1));
        if (write.step() != SQLITE_DONE) return fail();
        if (claim.name == "flash")
            chip.flashSerial = number;
        else if (claim.name == "eeprom")
            chip.eepromSerial = number;
    }
    Statement insert(db_,
                     "INSERT INTO chips(started_at, port, board_serial, device, signature, flash_serial, "
                     "eeprom_serial, result, exit_code, status, duration_ms) "
                     "VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11)");
    insert.bind(1, chip.startedAt)
        .bind(2, chip.port)
        .bind(3, chip.boardSerial)
        .bind(4, chip.device)
        .bind(5, chip.signature)
        .bind(6, chip.flashSerial)
        .bind(7, chip.eepromSerial)
        .bind(8, std::string(chipResultName(chip.result)))
        .bind(9, std::int64_t{chip.exitCode})
        .bind(10, chip.status)
        .bind(11, chip.durationMs);
    if (insert.step() != SQLITE_DONE) return fail();
    chip.id = sqlite3_last_insert_rowid(db_);
    return true;
}

bool SqliteSerialAllocator::finish(const ChipRecord& chip) {
    std::lock_guard lock(mutex_);
    if (!db_) return false;
    Statement update(db_, "UPDATE chips SET signature = ?2, result = ?3, exit_code = ?4, status = ?5, "
                          "duration_ms = ?6, board_serial = ?7 WHERE id = ?1");
    update.bind(1, chip.id)
        .bind(2, chip.signature)
        .bind(3, std::string(chipResultName(chip.result)))
        .bind(4, std::int64_t{chip.exitCode})
        .bind(5, chip.status)
        .bind(6, chip.durationMs)
        .bind(7, chip.boardSerial);
    if (update.step() != SQLITE_DONE) return fail();
    if (sqlite3_changes(db_) == 1) return true;
    error_ = "no chip record " + std::to_string(chip.id);
    return false;
}

std::optional<std::uint64_t> SqliteSerialAllocator::next(const std::string& counter) {
    std::lock_guard lock(mutex_);
    if (!db_) return std::nullopt;
    Statement read(db_, "SELECT next FROM counters WHERE name = ?1");
    read.bind(1, counter);
    if (read.step() != SQLITE_ROW) return std::nullopt;
    return static_cast<std::uint64_t>(read.integer(0));
}

ChipCounts SqliteSerialAllocator::counts() {
    std::lock_guard lock(mutex_);
    ChipCounts counts;
    if (!db_) return counts;
    Statement read(db_, "SELECT result, COUNT(*) FROM chips GROUP BY result");
    while (read.step() == SQLITE_ROW) {
        const int n = static_cast<int>(read.integer(1));
        counts.total += n;
        if (read.text(0) == chipResultName(ChipResult::Passed))
            counts.passed += n;
        else
            counts.failed += n;
    }
    return counts;
}

std::vector<ChipRecord> SqliteSerialAllocator::chips() {
    std::lock_guard lock(mutex_);
    std::vector<ChipRecord> records;
    if (!db_) return records;
    Statement read(db_, "SELECT id, started_at, port, board_serial, device, signature, flash_serial, "
                        "eeprom_serial, result, exit_code, status, duration_ms FROM chips ORDER BY id");
    while (read.step() == SQLITE_ROW) {
        ChipRecord chip;
        chip.id = read.integer(0);
        chip.startedAt = read.text(1);
        chip.port = read.text(2);
        chip.boardSerial = read.text(3);
        chip.device = read.text(4);
        chip.signature = read.text(5);
        if (!read.isNull(6)) chip.flashSerial = static_cast<std::uint64_t>(read.integer(6));
        if (!read.isNull(7)) chip.eepromSerial = static_cast<std::uint64_t>(read.integer(7));
        chip.result = resultFromName(read.text(8)).value_or(ChipResult::Spent);
        chip.exitCode = static_cast<int>(read.integer(9));
        chip.status = read.text(10);
        chip.durationMs = read.integer(11);
        records.push_back(std::move(chip));
    }
    return records;
}

} // namespace tovel
