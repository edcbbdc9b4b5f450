#include "board/board_search.h"

#include <string>

#include "board/board_commands.h"
#include "board/board_protocol.h"
#include "board/port_map.h"

namespace tovel {

namespace {

constexpr unsigned kBeforeVersionReplyMs = 20;

// The long version text of the board on the open link, or the "Unknown version" name.
std::string boardName(BoardSession& session) {
    SerialChannel& channel = session.channel();
    std::string name = session.messages().text(msg::UnknownVersionName);
    if (!board::sendLongVersion(channel)) return name;
    session.clock().sleepMs(kBeforeVersionReplyMs);
    const int length = channel.receiveByte();
    if (length < 0) return name;
    const std::size_t n = static_cast<std::size_t>(length);
    const std::uint8_t* reply = channel.receive(n + 1);
    if (reply != nullptr && reply[n] == protocol::Ack) name.assign(reinterpret_cast<const char*>(reply), n);
    return name;
}

} // namespace

int searchBoard(BoardSession& session) {
    UserInterface& ui = session.ui();
    const Messages& messages = session.messages();
    ui.setStatus(messages.text(msg::SearchingForBoard));
    BusyCursor busy(ui);

    int comPort = 0;
    std::string result;
    for (int port = PortMap::kFirstPort; port <= PortMap::kLastPort; ++port) {
        ui.setStatus(messages.format(msg::SearchingForBoardOnCom, port));
        if (!session.openLink(port, {.quiet = true})) continue;
        const std::string name = boardName(session);
        session.endSession();
        const std::string entry = messages.format(msg::BoardOnComPort, name.c_str(), port);
        if (comPort == 0) {
            result = entry;
            comPort = port;
        } else {
            result += ",  " + entry;
        }
    }
    ui.setStatus(comPort != 0 ? result : std::string(messages.text(msg::BoardNotFound)));
    return comPort;
}

} // namespace tovel
