#include "production/chip_record.h"

namespace tovel {

const char* chipResultName(ChipResult result) {
    switch (result) {
    case ChipResult::Passed:
        return "passed";
    case ChipResult::Failed:
        return "failed";
    case ChipResult::Spent:
        break;
    }
    return "spent";
}

std::string serialNumberText(const ChipRecord& chip) {
    if (chip.flashSerial) return std::to_string(*chip.flashSerial);
    if (chip.eepromSerial) return std::to_string(*chip.eepromSerial);
    return {};
}

} // namespace tovel
