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

} // namespace tovel
