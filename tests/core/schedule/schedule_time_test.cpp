#include "core/schedule/schedule_time.h"

#include <gtest/gtest.h>

namespace {

TEST(MonthBackTarget, ReadsHoursAndMinutesAsTheLeadingNumbers)
{
    EXPECT_EQ(core::monthBackTargetSecond("08:00"), 8 * 3600);
    EXPECT_EQ(core::monthBackTargetSecond("23:30"), 23 * 3600 + 30 * 60);
    EXPECT_EQ(core::monthBackTargetSecond(" 8: 5"), 8 * 3600 + 5 * 60);
    EXPECT_EQ(core::monthBackTargetSecond("8x:3y"), 8 * 3600 + 3 * 60);
    EXPECT_EQ(core::monthBackTargetSecond(".5:.5"), 1800 + 30);
    EXPECT_EQ(core::monthBackTargetSecond(""), 0);
    EXPECT_EQ(core::monthBackTargetSecond("ab:cd"), 0);
    EXPECT_EQ(core::monthBackTargetSecond("８時:30"), 30 * 60); // cut by characters, not bytes
}

TEST(SecondOfDay, RoundsMillisecondsHalfToEven)
{
    auto at = [](int h, int m, int s, int ms) {
        return core::secondOfDay({core::DateTime::fromCivil({2004, 5, 14, h, m, s}), ms});
    };
    EXPECT_EQ(at(0, 0, 0, 0), 0);
    EXPECT_EQ(at(0, 0, 2, 500), 2);
    EXPECT_EQ(at(0, 0, 3, 500), 4);
    EXPECT_EQ(at(0, 0, 2, 501), 3);
    EXPECT_EQ(at(23, 59, 59, 999), 86400);
}

} // namespace
