// The ranges a value read from a project or the settings file must lie in: those the dialogs
// offer, or the operations can use. Files are edited by hand and written by other versions; a
// value outside its range is replaced by the default, and the person is told which key it was
// (never clamped in silence to something far from what they wrote).
#pragma once

#include <string>
#include <vector>

#include "i18n/messages.h"

namespace tovel {

struct AppSettings;
struct ProjectSettings;

// One value that was replaced.
struct ReplacedValue {
    std::string key;
    long long value = 0;
    long long low = 0;
    long long high = 0;
    long long replacement = 0;
};
using ReplacedValues = std::vector<ReplacedValue>;

// The keys of a project: DeviceNo, SPIPeriod, ResetStrobeLength (0..1000 ms, the slider's top),
// the byte delays (0..36 ms) and the page delays (0..50 ms).
ReplacedValues replaceOutOfRangeValues(ProjectSettings& settings);
// The keys of the settings file: COM (0..8), HighSpeed (0..2), Special1..Special4 (0..1000 ms).
ReplacedValues replaceOutOfRangeSettings(AppSettings& settings);

// The warning for one replaced value of the file `path`.
std::string describeReplacedValue(const ReplacedValue& replaced, const std::string& path,
                                  const Messages& messages);

} // namespace tovel
