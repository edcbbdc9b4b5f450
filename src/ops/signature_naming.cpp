#include "ops/signature_naming.h"

#include <cstring>

namespace tovel {

SignatureIdentity identifySignature(const SignatureBytes& signature) {
    const int row = DeviceTable::findBySignature(signature[0], signature[1], signature[2]);
    if (row >= 0) return {SignatureIdentity::Kind::Device, row};
    if (signature[0] == kAtmelManufacturerCode) return {SignatureIdentity::Kind::UnknownAtmel, -1};
    if (signature == kLockedSignature) return {SignatureIdentity::Kind::Locked, -1};
    return {SignatureIdentity::Kind::Unknown, -1};
}

bool signatureNamesNoChip(const SignatureBytes& signature) {
    return signature == SignatureBytes{0x00, 0x00, 0x00} || signature == SignatureBytes{0xFF, 0xFF, 0xFF};
}

std::string signatureName(const SignatureIdentity& identity, const Messages& messages) {
    switch (identity.kind) {
    case SignatureIdentity::Kind::Device:
        return DeviceTable::device(identity.deviceNo).name;
    case SignatureIdentity::Kind::UnknownAtmel:
        return messages.text(msg::UnknownAtmelDevice);
    case SignatureIdentity::Kind::Locked:
    case SignatureIdentity::Kind::Unknown:
        break;
    }
    return messages.text(msg::UnknownDevice);
}

SpiBytes3 signatureReadInstruction(const DeviceRecord& device, int i) {
    const auto index = static_cast<std::uint8_t>(i);
    if (device.spiVariant == SpiVariant::At89S51) {
        if (std::strcmp(device.name, "AT89S8253") == 0)
            return {0x28, 0x00, static_cast<std::uint8_t>(0x30 + i)};
        return {0x28, index, 0x00};
    }
    return {0x30, 0x00, index};
}

} // namespace tovel
