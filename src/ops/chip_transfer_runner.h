// What the memory transfer workers share: the open board link, the clock, the bytes of the run,
// and the "Connection error" box a worker raises on some paths. The worker runs on its own
// thread, so it does not show the box itself: it notes it, and the handler shows it first when
// the progress display has closed, before its own messages.
#pragma once

#include <cstddef>
#include <cstdint>

#include "board/operation_runner.h"
#include "board/serial_channel.h"
#include "core/clock.h"

namespace tovel {

class ChipTransferRunner : public OperationRunner {
public:
    ChipTransferRunner(const Messages& messages, SerialChannel& channel, Clock& clock)
        : OperationRunner(messages), channel_(channel), clock_(clock) {}

    // The worker failed in a way that its own box "Connection error" reports.
    bool connectionErrorBox() const { return connectionErrorBox_; }

protected:
    SerialChannel& channel() { return channel_; }
    Clock& clock() { return clock_; }
    void pauseMs(unsigned ms) {
        if (ms > 0) clock_.sleepMs(ms);
    }
    void noteConnectionErrorBox() { connectionErrorBox_ = true; }
    // Notes the box and returns `outcome`, for `return failWithBox(...)`.
    Outcome failWithBox(Outcome outcome) {
        noteConnectionErrorBox();
        return outcome;
    }

private:
    SerialChannel& channel_;
    Clock& clock_;
    bool connectionErrorBox_ = false;
};

} // namespace tovel
