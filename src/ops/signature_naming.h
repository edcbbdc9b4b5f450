// What a signature read says about the chip in the socket, and the instruction that reads each
// signature byte. Pure functions over the device table.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "devices/device_table.h"
#include "devices/fuse_layout.h"
#include "i18n/messages.h"

namespace tovel {

using SignatureBytes = std::array<std::uint8_t, 3>;

// A locked chip answers every signature read with 00 01 02.
inline constexpr SignatureBytes kLockedSignature{0x00, 0x01, 0x02};
inline constexpr std::uint8_t kAtmelManufacturerCode = 0x1E;

struct SignatureIdentity {
    enum class Kind { Device, UnknownAtmel, Locked, Unknown };
    Kind kind = Kind::Unknown;
    int deviceNo = -1; // the row, for Kind::Device
};

SignatureIdentity identifySignature(const SignatureBytes& signature);

// 00 00 00 (nothing answers) or FF FF FF (MISO held high): no chip spoke, for a reason the read
// cannot name (power, wiring, an empty socket). The front ends then point to the connection doctor.
bool signatureNamesNoChip(const SignatureBytes& signature);

// The name a status line gives the chip: the row's name, "Unknown ATMEL device" or "Unknown device"
// (a locked chip is named "Unknown device": each handler says "locked" in its own words).
std::string signatureName(const SignatureIdentity& identity, const Messages& messages);

// The SpiInstrRead bytes that read signature byte i (0..2) of a chip of this device's command set:
// 28 i 00 for the 4-byte AT89S parts (28 00 30+i on the AT89S8253), 30 00 i for everything else.
SpiBytes3 signatureReadInstruction(const DeviceRecord& device, int i);

} // namespace tovel
