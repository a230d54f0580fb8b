#include "core/shell/setup_time_list.h"

#include <gtest/gtest.h>

namespace {

TEST(SetupTimeList, RunsFromMidnightInHalfHourSteps)
{
    const auto times = core::halfHourTimes();
    ASSERT_EQ(times.size(), 48u);
    EXPECT_EQ(times[0], "00:00");
    EXPECT_EQ(times[1], "00:30");
    EXPECT_EQ(times[16], "08:00");
    EXPECT_EQ(times[21], "10:30");
    EXPECT_EQ(times[47], "23:30");
}

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

TEST(SetupTimeList, ChoosingAnEntrySetsIndexAndTimeTogether)
{
    core::SetupRecord record;
    record.MonthBackTime = "10:00";
    core::chooseTime(record, 47);
    EXPECT_EQ(record.MonthBackTimeIndex, 47);
    EXPECT_EQ(record.MonthBackTime, "23:30");
    core::chooseTime(record, 48); // no such entry: nothing changes
    EXPECT_EQ(record.MonthBackTimeIndex, 47);
    EXPECT_EQ(record.MonthBackTime, "23:30");
}

} // namespace
