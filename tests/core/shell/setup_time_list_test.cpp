#include "core/shell/setup_time_list.h"

#include <gtest/gtest.h>

namespace {

TEST(SetupTimeList, IndexInRangeWinsElseAMatchingTimeElseEightOClock)
{
    core::SetupRecord record;
    record.MonthBackTimeIndex = 16;
    record.MonthBackTime = "10:30";
    EXPECT_EQ(core::timeIndexToSelect(record), 16);
    for (std::int16_t index : {-1, 48, 300}) {
        record.MonthBackTimeIndex = index;
        EXPECT_EQ(core::timeIndexToSelect(record), 21) << index;
    }
    for (const char* time : {"", "10:15", "25:00", "8:00"}) {
        record.MonthBackTime = time;
        EXPECT_EQ(core::timeIndexToSelect(record), core::kFallbackTimeIndex) << time;
    }
}

} // namespace
