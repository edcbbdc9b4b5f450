#include "project/value_ranges.h"

#include "board/link_parameters.h"
#include "devices/device_table.h"
#include "project/project_settings.h"
#include "project/settings_file.h"

namespace tovel {

namespace {

constexpr long long kMaxResetStrobeMs = 1000;
constexpr long long kMaxByteDelayMs = 36;
constexpr long long kMaxPageDelayMs = 50;

template <typename Number> class RangeCheck {
public:
    explicit RangeCheck(ReplacedValues& replaced) : replaced_(replaced) {}
    void operator()(const char* key, Number& value, long long low, long long high, Number fallback) {
        const auto v = static_cast<long long>(value);
        if (v >= low && v <= high) return;
        replaced_.push_back({key, v, low, high, static_cast<long long>(fallback)});
        value = fallback;
    }

private:
    ReplacedValues& replaced_;
};

} // namespace

ReplacedValues replaceOutOfRangeValues(ProjectSettings& s) {
    const ProjectSettings start;
    ReplacedValues replaced;
    RangeCheck<std::int32_t> check(replaced);
    RangeCheck<std::uint32_t> checkUnsigned(replaced);
    check("DeviceNo", s.deviceIndex, 0, DeviceTable::kDeviceCount - 1, DeviceTable::defaultDeviceNo());
    check("SPIPeriod", s.sckPeriodIndex, 0, kSckPeriodCount - 1, kStartSckPeriodIndex);
    check("ResetStrobeLength", s.resetStrobeMs, 0, kMaxResetStrobeMs, start.resetStrobeMs);
    checkUnsigned("DelayByteValue", s.flashByteDelayMs, 0, kMaxByteDelayMs, start.flashByteDelayMs);
    check("DelayPageValue", s.flashPageDelayMs, 0, kMaxPageDelayMs, start.flashPageDelayMs);
    checkUnsigned("DelayByteValue2", s.eepromByteDelayMs, 0, kMaxByteDelayMs, start.eepromByteDelayMs);
    check("DelayPageValue2", s.eepromPageDelayMs, 0, kMaxPageDelayMs, start.eepromPageDelayMs);
    return replaced;
}

ReplacedValues replaceOutOfRangeSettings(AppSettings& s) {
    ReplacedValues replaced;
    RangeCheck<std::int32_t> check(replaced);
    check("COM", s.comPort, 0, kComPortCount, 0);
    check("HighSpeed", s.baudIndex, Baud19200, Baud921600, Baud19200);
    check("Special1", s.boardDelays.preReadDelayMs, 0, kMaxBoardDelayMs, 0);
    check("Special2", s.boardDelays.pageReadDelayMs, 0, kMaxBoardDelayMs, 0);
    check("Special3", s.boardDelays.pageWriteDelayMs, 0, kMaxBoardDelayMs, 0);
    check("Special4", s.boardDelays.postSendDelayMs, 0, kMaxBoardDelayMs, 0);
    return replaced;
}

std::string describeReplacedValue(const ReplacedValue& r, const std::string& path, const Messages& messages) {
    return messages.format(msg::ValueOutOfRange, r.value, r.key.c_str(), path.c_str(), r.low, r.high,
                           r.replacement);
}

} // namespace tovel
