#include "core/shell/setup_time_list.h"

#include <gtest/gtest.h>

namespace {

TEST(SetupTimeList, RunsFromMidnightInHalfHourSteps)
{
    const auto times = core::halfHourTimes();
    ASSERT_EQ(times.size(), 48u);
    EXPECT_EQ((std::vector<std::string>{times[0], times[1], times[16], times[21], times[47]}),
              (std::vector<std::string>{"00:00", "00:30", "08:00", "10:30", "23:30"}));
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
    for (const int index : {47, 48}) { // 48 is no entry: nothing changes
        core::chooseTime(record, index);
        EXPECT_EQ(record.MonthBackTimeIndex, 47);
        EXPECT_EQ(record.MonthBackTime, "23:30");
    }
}

} // namespace
