// The frame every chip operation runs in: the operation status set to -1 first, the operation's
// own text on the status line, the busy cursor for the whole handler, the check that a board port
// is chosen, the programming session opened for the project's device, and the session ended with
// recoverBoard. Whatever path leaves the handler, the frame's destructor ends the session (if it
// is still open) and the busy cursor.
//
//   void eraseHandler(ChipContext& context) {
//       OperationFrame frame(context, msg::ErasingDevice);
//       if (!frame.begin(OperationFrame::kSpeed19200)) return; // told the person already
//       ... the operation, on frame.device() ...
//       frame.disconnect(); // shows "Warning: incorrect disconnection." when the board did not take part
//   }
#pragma once

#include "board/session_params.h"
#include "core/outcome.h"
#include "devices/device_table.h"

namespace tovel {

struct ChipContext;
struct ProjectSettings;

// The values of a programming session that the project decides.
SessionParams sessionParamsOf(const ProjectSettings& project);
// The project's device row; a row outside the table (a hand-edited project) gives the start row.
int projectDeviceIndex(const ProjectSettings& project);

class OperationFrame {
public:
    static constexpr int kSpeed19200 = 0; // Chip Erase, Read Signature and the lock/fuse commands

    enum class SetsStatus { Yes, No };
    // For a handler whose first status text comes only once it is connected.
    static constexpr unsigned kNoStatusText = 0;
    enum class Warning { Show, Quiet };

    // Steps 1 and 2: the operation status -1 (unless the handler leaves it alone), the status
    // line text `statusTextId` (none for kNoStatusText) and the busy cursor, which stays until
    // the frame goes.
    OperationFrame(ChipContext& context, unsigned statusTextId, SetsStatus setsStatus = SetsStatus::Yes);
    // Ends a session still open (without the warning: the path out has told the person what
    // went wrong) and the busy cursor.
    ~OperationFrame();
    OperationFrame(const OperationFrame&) = delete;
    OperationFrame& operator=(const OperationFrame&) = delete;

    // Port check, then connect at `speedIndex` (0 19200, 1 115200, 2 921600). False when either
    // failed; the person has been told and the board is left idle.
    bool begin(int speedIndex);
    // The same at the link speed of the board settings (`baudIndex`), as the memory operations use.
    bool beginAtLinkSpeed();

    // Step 3 alone: with no port chosen, the status line "Select COM port or click 'search
    // board'" and the box "No board specified"; false.
    bool checkPort();
    // Step 5 alone: openSession for the project's device at `speedIndex`. On failure openSession
    // has shown its message and recovered the board; false.
    bool connect(int speedIndex);
    // Step 7: recoverBoard. With `Warning::Show`, a board that did not take part brings the box
    // "Warning: incorrect disconnection.". Returns recoverBoard's result; true when no session
    // was open.
    bool disconnect(Warning warning = Warning::Show);
    bool connected() const { return connected_; }
    // Why `begin`, `checkPort` or `connect` said false: Connection, or Cancelled when a stop
    // request ended the session before it was open.
    Outcome notConnected() const;
    // The outcome of the operation that ran in this frame: `outcome`, except that every failure on
    // an AT45 that the session did not detect is put down to the chip in the socket (data found by a
    // blank check is no failure of that kind).
    Outcome judged(Outcome outcome) const;
    // An AT45 session whose chip was not detected: what it reads is not the chip asked for.
    bool dataFlashMissing() const;

    // The device the operation works on: the project's selection at the time the frame began.
    int deviceIndex() const { return deviceIndex_; }
    const DeviceRecord& device() const { return DeviceTable::device(deviceIndex_); }

    ChipContext& context() { return context_; }

private:
    ChipContext& context_;
    int deviceIndex_;
    bool connected_ = false;
};

} // namespace tovel
