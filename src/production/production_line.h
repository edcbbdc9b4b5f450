// A production line: the job's auto-program on several boards at once, one thread a board, the
// boards sharing only the job (read once) and the serial-number store. A board that fails or
// disappears never stops or slows the others; a store or log that cannot be written stops them
// all after their current chip, since no chip may go on without its record.
//
// Each chip: the signature is read (a short quiet session), the chip's numbers are taken from the
// store (committed) and stamped into the board's copy of the images, auto-program runs, and the
// front end's judge turns the run's own result into a pass or a failure code; the record is
// written back and handed to the front end (its logs, its display).
//
// The front ends drive it: the command line in rounds (one chip a board per Enter) or hands-free,
// the desktop program hands-free between Start and Stop.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "board/board_session.h"
#include "core/outcome.h"
#include "core/stop_request.h"
#include "production/chip_record.h"
#include "production/serial_allocator.h"

namespace tovel {

class Workbench;

enum class BoardStage {
    Idle,
    WaitingForChip,
    Programming,
    Passed, // the last chip passed; waiting for it to be taken out (hands-free)
    Failed, // the last chip failed; likewise
    Stopped,
};

// The front end's reading of a chip's run.
struct ChipVerdict {
    int code = 0;       // 0 passes; anything else is the failure's code
    std::string status; // the run's last status text, for the record
};

struct ProductionBoard {
    std::string label;              // the port as the person named it
    Workbench* workbench = nullptr; // the board's own; used only from the board's thread
    // Silences the board's front end while the line polls the socket (may be empty).
    std::function<void(bool muted)> mute;
};

// What a board did, for the front end's table or tiles.
struct BoardTally {
    int chips = 0;
    int passed = 0;
    std::optional<int> firstFailure; // the judge's code of the first chip that failed
    std::string signature;           // of the last chip
    std::string serial;              // of the last chip
    std::string boardSerial;
    std::int64_t milliseconds = 0;
};

class ProductionLine {
public:
    struct Hooks {
        // Called on the board's thread right before a chip's run (the front end forgets what the
        // board said so far).
        std::function<void(std::size_t board)> beforeRun;
        // The chip's verdict from the run's result (`runOk`: auto-program ended OK, as the window
        // says; `outcome`: the run's outcome, which also fails a chip whose lock and fuse bits
        // alone failed). Called on the board's thread right after the run. A run that did not
        // end OK never passes.
        std::function<ChipVerdict(std::size_t board, bool runOk, Outcome outcome)> judge;
        // The chip's record after its run (numbers, result, durations) and the counters' hex
        // text as stamped; nothing when it was logged, else why the line must stop.
        std::function<std::optional<std::string>(std::size_t board, const ChipRecord& chip,
                                                 const std::string& flashCounter,
                                                 const std::string& eepromCounter)>
            chipDone;
        std::function<void(std::size_t board, BoardStage stage)> stageChanged;
        std::function<void(std::size_t board, const std::string& signature)> chipInserted;
        // The store could not be written: the text of its error.
        std::function<std::string(const std::string& storeError)> storeFailureText;
        // After a chip passed, the job image's counters move past its numbers on the board's
        // thread (advanceJobCounters). A front end whose job is on screen does it on its own
        // thread from chipDone instead.
        bool advanceJobCounters = true;
    };

    // `store` may be null when the job counts no serial numbers. `interrupted` (may be null) is
    // an outside stop request polled while waiting (Ctrl-C, SIGTERM, SIGHUP).
    ProductionLine(Workbench& job, SerialAllocator* store, std::vector<ProductionBoard> boards, Hooks hooks,
                   const StopRequest* interrupted = nullptr);
    ProductionLine(const ProductionLine&) = delete;
    ProductionLine& operator=(const ProductionLine&) = delete;

    // One chip on every board at once; returns when every board is done.
    void runRound();
    // `work` on every board at once, one thread a board (a command other than auto-program);
    // returns when every board is done. The boards' times are added to their tallies.
    void forEveryBoard(const std::function<void(std::size_t board)>& work);
    // Every board programs each chip put into its socket (signature polled every 500 ms, an
    // empty socket reads as no chip) until stop(); returns when every board has ended.
    void runHandsFree();
    // Any thread: the boards end after their current chip.
    void stop();
    bool stopping() const;
    // The reason the line stopped by itself (a store or log failure); empty otherwise.
    std::string stopReason() const;

    std::size_t boardCount() const { return boards_.size(); }
    const BoardTally& tally(std::size_t board) const { return tallies_[board]; }
    BoardTally& tally(std::size_t board) { return tallies_[board]; }

private:
    std::optional<Signature> probe(std::size_t board);
    bool waitForChip(std::size_t board, bool present, std::optional<Signature>& signature);
    void handsFree(std::size_t board);
    void programChip(std::size_t board, const std::optional<Signature>& signature);
    void stopLine(const std::string& why);
    void setStage(std::size_t board, BoardStage stage);

    Workbench& job_;
    SerialAllocator* store_;
    std::vector<ProductionBoard> boards_;
    std::vector<BoardTally> tallies_;
    Hooks hooks_;
    const StopRequest* interrupted_;
    std::vector<CounterClaim> claims_;

    std::mutex jobMutex_; // the job's buffers, when a passed chip moves their counters
    mutable std::mutex stopMutex_;
    std::condition_variable stopSignal_;
    std::atomic<bool> stopRequested_{false};
    std::string stopReason_;
};

} // namespace tovel
