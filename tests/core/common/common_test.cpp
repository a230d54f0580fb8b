#include "core/common/clock.h"
#include "core/common/date_time.h"
#include "core/common/utf8.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {
using core::CivilTime;
using core::DateTime;

void expectCivil(const CivilTime& c, int y, int mo, int d, int h, int mi, int s)
{
    EXPECT_EQ(std::tie(c.year, c.month, c.day, c.hour, c.minute, c.second), std::tie(y, mo, d, h, mi, s));
}

TEST(DateTime, CountsDaysAcrossLeapYearsAndCenturies)
{
    // 1900 is no leap year; 2000 is.
    EXPECT_EQ(DateTime::fromCivil({1900, 3, 1, 0, 0, 0}).seconds() / DateTime::kSecondsPerDay, 61);
    EXPECT_EQ(DateTime::fromCivil({2004, 5, 14, 8, 0, 3}).seconds(), 38121LL * 86400 + 8 * 3600 + 3);
    for (const CivilTime c : {CivilTime{2000, 2, 29, 23, 59, 59}, CivilTime{2024, 12, 31, 0, 0, 0},
                              CivilTime{1899, 12, 29, 12, 0, 0}, CivilTime{9999, 12, 31, 23, 59, 59}})
        expectCivil(DateTime::fromCivil(c).civil(), c.year, c.month, c.day, c.hour, c.minute, c.second);
}

TEST(Utf8, TellsWellFormedText)
{
    EXPECT_TRUE(core::isValidUtf8("つむぎ君 é 한 😀"));
    for (const char* bytes :
         {"\x80", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE3\x81", "\xFF"})
        EXPECT_FALSE(core::isValidUtf8(bytes));
}

} // namespace
