#include "sim/chip.h"

#include <algorithm>

namespace tovel::sim {

void Chip::setMemories(const ChipMemories& memories) {
    auto copyFitting = [](const std::vector<std::uint8_t>& from, std::vector<std::uint8_t>& to) {
        std::copy_n(from.begin(), std::min(from.size(), to.size()), to.begin());
    };
    copyFitting(memories.flash, memories_.flash);
    copyFitting(memories.eeprom, memories_.eeprom);
    memories_.fuses = memories.fuses;
    memories_.lock = memories.lock;
    memories_.calibration = memories.calibration;
    normaliseBits();
    markChanged();
}

std::uint64_t Chip::takeWorkUs() {
    const std::uint64_t work = workUs_;
    workUs_ = 0;
    return work;
}

bool Chip::takeChanged() {
    const bool changed = changed_;
    changed_ = false;
    return changed;
}

} // namespace tovel::sim
