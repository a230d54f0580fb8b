#include "core/common/clock.h"
#include "core/common/date_time.h"
#include "core/common/utf8.h"

#include <gtest/gtest.h>

namespace {
using core::DateTime;

TEST(DateTime, CountsDaysAcrossLeapYearsAndCenturies)
{
    // 1900 is no leap year; 2000 is.
    EXPECT_EQ(DateTime::fromCivil({1900, 3, 1, 0, 0, 0}).seconds() / DateTime::kSecondsPerDay, 61);
    // The way back is checked through the settings file's date forms.
    EXPECT_EQ(DateTime::fromCivil({2004, 5, 14, 8, 0, 3}).seconds(), 38121LL * 86400 + 8 * 3600 + 3);
}

TEST(Utf8, TellsWellFormedText)
{
    EXPECT_TRUE(core::isValidUtf8("つむぎ君 é 한 😀"));
    for (const char* bytes :
         {"\x80", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE3\x81", "\xFF"})
        EXPECT_FALSE(core::isValidUtf8(bytes));
}

} // namespace
