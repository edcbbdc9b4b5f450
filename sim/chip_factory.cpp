#include "sim/chip_factory.h"

#include <strings.h>

#include "sim/at25_chip.h"
#include "sim/at45_chip.h"
#include "sim/at89_chip.h"
#include "sim/avr_chip.h"
#include "sim/chip_profiles.h"

namespace tovel::sim {

bool isEmptySocketName(const std::string& device) {
    return strcasecmp(device.c_str(), "none") == 0 || strcasecmp(device.c_str(), "empty") == 0;
}

std::unique_ptr<Chip> makeChip(const ChipRequest& request) {
    if (isEmptySocketName(request.device)) return std::make_unique<EmptySocket>();
    const ChipProfile* profile = findChipProfile(request.device);
    if (profile == nullptr) return nullptr;
    ChipGeometry geometry = profile->geometry;
    if (request.signature) geometry.signature = *request.signature;
    switch (profile->kind) {
    case ChipKind::Avr:
        return std::make_unique<AvrChip>(*profile, geometry, request.externalClock);
    case ChipKind::At89ThreeByte:
    case ChipKind::At89FourByte:
        return std::make_unique<At89Chip>(*profile, geometry);
    case ChipKind::At25:
        return std::make_unique<At25Chip>(*profile, geometry);
    case ChipKind::At45:
        return std::make_unique<At45Chip>(*profile, geometry);
    }
    return nullptr;
}

} // namespace tovel::sim
