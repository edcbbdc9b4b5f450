// What a chip operation works with: the person-facing interface, the board session, the project,
// the two buffers, the board settings and the results shared between operations. The Workbench
// owns all of it and hands this out; the operations hold no state of their own between runs.
#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "board/board_session.h"
#include "core/clock.h"
#include "core/outcome.h"
#include "core/user_interface.h"
#include "i18n/messages.h"
#include "image/memory_buffer.h"
#include "project/project.h"
#include "project/settings_file.h"

namespace tovel {

// Results of the last operations, read by auto-program and the lock/fuse commands.
struct OperationState {
    // The outcome of the last operation that keeps it (chip erase, blank check, program, verify,
    // the signature comparison, Reload); Failed while one runs and has not finished.
    Outcome operationStatus = Outcome::Failed;
    bool flashVerified = false;
    bool eepromVerified = false;
    long firstMismatch = -1;
    Signature lastSignature{0xFF, 0xFF, 0xFF};
    bool autoProgramOk = false;
    // Bytes the last programming run handed to the chip and saw acknowledged: what its "Done"
    // reports and auto-program counts (an image larger than the chip is cut to the chip).
    std::size_t programmedBytes = 0;

    // Keeps `outcome` as the operation status and hands it on.
    Outcome keep(Outcome outcome) {
        operationStatus = outcome;
        return outcome;
    }
};

struct ChipContext {
    UserInterface& ui;
    const Messages& messages;
    Clock& clock;
    BoardSession& session;
    Project& project; // the job's settings (deviceIndex, delays, auto-program steps ...)
    MemoryBuffer& flash;
    MemoryBuffer& eeprom;
    const AppSettings& settings; // comPort, baudIndex, boardDelays: read when an operation runs
    OperationState& state;
    // Switches the selected device (the front end's device choosers follow); also sets
    // project.deviceIndex and marks the project modified when it changes.
    std::function<void(int deviceNo)> selectDevice;
    // Asks the front end to repaint a buffer's preview and label (no-op where there is none).
    std::function<void(const MemoryBuffer&)> refreshBuffer;

    void repaint(const MemoryBuffer& buffer) const {
        if (refreshBuffer) refreshBuffer(buffer);
    }
};

} // namespace tovel
