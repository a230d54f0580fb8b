#include "core/shell/setup_time_list.h"

#include <algorithm>

namespace core {

std::vector<std::string> halfHourTimes()
{
    std::vector<std::string> times;
    times.reserve(kHalfHourCount);
    for (int hour = 0; hour < 24; ++hour) {
        const std::string hh = std::string(1, char('0' + hour / 10)) + char('0' + hour % 10);
        times.push_back(hh + ":00");
        times.push_back(hh + ":30");
    }
    return times;
}

int timeIndexToSelect(const SetupRecord& record)
{
    if (record.MonthBackTimeIndex >= 0 && record.MonthBackTimeIndex < kHalfHourCount)
        return record.MonthBackTimeIndex;
    const auto times = halfHourTimes();
    const auto match = std::find(times.begin(), times.end(), record.MonthBackTime);
    return match != times.end() ? int(match - times.begin()) : kFallbackTimeIndex;
}

void chooseTime(SetupRecord& record, int index)
{
    if (index < 0 || index >= kHalfHourCount)
        return;
    record.MonthBackTimeIndex = static_cast<std::int16_t>(index);
    record.MonthBackTime = halfHourTimes()[index];
}

} // namespace core
