// The cause of a failed port open, in words the person can act on: no such port, a file that is
// not a serial port, permission (and which group to join), in use (and by which process).
#pragma once

#include <string>

#include "board/port_facts.h"
#include "board/serial_channel.h"
#include "i18n/messages.h"

namespace tovel {

enum class PortOpenCause {
    NotSet,           // the port number leads to no device
    Missing,          // no such file
    NoDevice,         // a device node with nothing behind it
    NotSerial,        // a file, folder, FIFO, socket, or a device that is not a terminal
    PermissionDenied, // the file's owner, group and mode refuse this user
    InUse,            // another process holds it (named when /proc shows it)
    Other,            // anything else: errno in words
};

PortOpenCause classifyPortOpenFailure(const PortOpenFailure& failure, const PortFacts& facts);

// The box text for a failed open, from the catalogue in the language of `messages`.
std::string describePortOpenFailure(const PortOpenFailure& failure, const Messages& messages,
                                    const SystemPaths& system = {});

} // namespace tovel
