// The PC side of the conversation with the programmer board: opening, synchronising,
// checking the firmware version, switching speed, entering programming mode for the chosen chip,
// ending a session and bringing the board back to a known state after a failure.
//
// Two kinds of session. A link session (openLink ... endSession) only identifies the board; a
// programming session (openSession ... recoverBoard) puts the target chip into programming mode.
// Every procedure blocks, reports through the person-facing interface (status line and boxes, in
// the order each failure defines) and returns a success flag. Port numbers are 1-based (COM1 = 1)
// and go through the channel's port map.
//
// Only one thread uses a session at a time: the caller's, or an operation's worker while the
// caller waits for it.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "board/board_state.h"
#include "board/serial_channel.h"
#include "board/session_params.h"
#include "core/clock.h"
#include "core/stop_request.h"
#include "core/user_interface.h"
#include "devices/device_table.h"
#include "i18n/messages.h"

namespace tovel {

using SerialNumber = std::array<std::uint8_t, 5>;
using Signature = std::array<std::uint8_t, 3>;
using VersionBytes = std::array<std::uint8_t, 3>;

// How far openLink goes and what it keeps to itself. The default is the loud, full opening.
struct LinkOptions {
    // Only open the port: no probe, no short version (a board in its loader answers neither).
    bool openOnly = false;
    // Require the compatible firmware version; without it any short version will do.
    bool requireCompatibleVersion = true;
    // Say nothing when the port cannot be opened or the short version does not come.
    bool quiet = false;
    // Say nothing about an incompatible version (the board state records it all the same).
    bool versionQuiet = false;
};

class BoardSession {
public:
    BoardSession(SerialChannel& channel, UserInterface& ui, const Messages& messages, Clock& clock);

    // A stop request (Ctrl-C and the like): no session is begun once it is raised, a session
    // being opened is ended quietly, and `recoverBoard` ends the session properly in spite of
    // it, or briskly once it is urgent. The waits themselves are cut by the clock and the channel
    // watching the same request. Null (the default): none.
    void watchStop(StopRequest* stop) { stop_ = stop; }
    StopRequest* stopRequest() const { return stop_; }
    // The project of the person's current job. A link session (openLink) ends with recoverBoard
    // when something fails, and the link parameters it sends then are this project's, not those
    // of the last programming session. Empty: the last programming session's (or the defaults).
    void followProject(std::function<SessionParams()> current) { currentProject_ = std::move(current); }

    // Opens port `port` at 19200 baud; unless `options.openOnly`, synchronises with the board and
    // reads its short version into the board state (see LinkOptions). On success the port stays
    // open; on failure it is closed.
    bool openLink(int port, const LinkOptions& options = {});
    // Opens a programming session for the project's device on `comPort`, switching the link to the
    // speed of `baudIndex` (0 19200, 1 115200, other 921600). On success the port stays open and the
    // chip is in programming mode (an AT45 session also counts as open when the chip was not
    // detected: the status line says so). On failure the board has been recovered where it could
    // be and the port is closed.
    bool openSession(const SessionParams& project, int comPort, int baudIndex);
    // Ends a link session: EndSession, then the port is closed. False if the byte could not be sent.
    bool endSession();
    // Ends a programming session: programming mode off, link back to 19200 baud, port closed.
    // False when the board did not take part (the port is closed anyway).
    bool recoverBoard();
    // Judges a short-version reply; null counts as compatible. Sets the board-state flags.
    bool checkVersion(const VersionBytes* version, bool quiet);
    // Reads the long version text and the serial number of the board on `comPort` and shows them
    // in the status line. `loaderMode` only opens the port (the board may be in its loader) and
    // accepts a loader's version text. True once the version is known; `serialOut` is left empty
    // when the serial number could not be read (said in a box).
    bool readBoardVersion(int comPort, std::string* textOut, std::optional<SerialNumber>* serialOut,
                          bool loaderMode);
    // Three signature reads inside an open session; `out` is FF FF FF where nothing came.
    bool readSignatureBytes(Signature& out);
    // The board information box of the Advanced menu. False when the version or the serial number
    // could not be read (reported): a box of zeros would pass for the board's number.
    bool showBoardInfo(int comPort);

    BoardState& state() { return state_; }
    const BoardState& state() const { return state_; }
    // The device of the last openSession (its row number and record).
    int currentDeviceIndex() const { return currentDeviceIndex_; }
    const DeviceRecord& currentDevice() const { return DeviceTable::device(currentDeviceIndex_); }

    SerialChannel& channel() { return channel_; }
    UserInterface& ui() { return ui_; }
    const Messages& messages() const { return messages_; }
    Clock& clock() { return clock_; }

    static constexpr int kDataFlashAttempts = 5;

private:
    // Where readBoardVersion stopped; each has one way of being told and of ending the link.
    enum class VersionRead {
        Done,
        DoneWithoutSerialNumber, // the request could not be sent: the version alone is shown
        NoPortChosen,
        LinkNotOpened,
        LongVersionNotSent,
        NoVersionLength,
        BadVersionText,
        LoaderText, // a loader's text outside loader mode: the board has no firmware
        BadSerialNumber,
    };
    struct VersionReadEnding;
    static VersionReadEnding endingOf(VersionRead read);

    // Opens the link and reads the long version text into the board state and the serial number.
    VersionRead exchangeVersion(int comPort, bool loaderMode, std::optional<SerialNumber>& serial);
    // StatusProbe until the board is in step, as the opening procedures share it.
    bool synchronise();
    // Closes the port and opens it again at `baud` after the board's speed-switch pause.
    bool reopenPort(int comPort, std::uint32_t baud);
    bool enterDataFlash();
    bool enterAt89OrAt25(const DeviceRecord& device);
    bool enterAvr(const DeviceRecord& device);
    // The common failure inside a programming session: recover the board, tell the person (not
    // when a stop request ended the exchange: that is no connection error).
    bool failSession();
    bool stopRequested() const { return stop_ != nullptr && stop_->requested(); }
    // recoverBoard once the stop is urgent: both commands without waiting for their Acks.
    bool recoverBriskly();
    void box(unsigned id);
    // The box of a port that could not be opened, naming the cause when the channel knows it.
    void portOpenFailedBox();
    void status(unsigned id);
    void pause(unsigned ms) { clock_.sleepMs(ms); }

    SerialChannel& channel_;
    UserInterface& ui_;
    const Messages& messages_;
    Clock& clock_;
    BoardState state_;
    SessionParams project_;
    int currentDeviceIndex_;
    StopRequest* stop_ = nullptr;
    std::function<SessionParams()> currentProject_;
};

} // namespace tovel
