#pragma once
// The Setup dialog's half-hour list and the rules that tie it to MonthBackTime/MonthBackTimeIndex.

#include "core/settings/setup_record.h"

#include <cstdint>
#include <string>
#include <vector>

namespace core {

inline constexpr int kHalfHourCount = 48;
// "08:00": where a hand-edited index that matches nothing falls back to.
inline constexpr int kFallbackTimeIndex = 16;

// "00:00", "00:30", ..., "23:30"; entry i is hour i / 2, minute 30 when i is odd.
std::vector<std::string> halfHourTimes();

// The entry the dialog selects on opening: MonthBackTimeIndex when it lies in 0..47; otherwise
// the entry equal to MonthBackTime, else kFallbackTimeIndex.
int timeIndexToSelect(const SetupRecord& record);

// Choosing entry index (0..47): the index and its text go into the record.
void chooseTime(SetupRecord& record, int index);

// A switch shows as checked only when its value is exactly 1.
inline bool isChecked(std::int16_t value)
{
    return value == 1;
}

} // namespace core
