#include "core/settings/setup_values.h"

#include <gtest/gtest.h>

namespace {
using core::DateTime;
namespace setup = core::setup;

TEST(SetupValues, WritesDateTimesInTheirFullAndShortForms)
{
    EXPECT_EQ(setup::formatDateTime(DateTime::fromCivil({2004, 5, 14, 8, 0, 3})), "#2004-05-14 08:00:03#");
    EXPECT_EQ(setup::formatDateTime(DateTime::fromCivil({2004, 5, 14, 0, 0, 0})), "#2004-05-14#");
    EXPECT_EQ(setup::formatDateTime(DateTime::fromSeconds(8 * 3600 + 3)), "#08:00:03#");
    EXPECT_EQ(setup::formatDateTime(DateTime()), "#1899-12-30#");
    EXPECT_EQ(setup::formatDateTime(DateTime::fromCivil({1899, 12, 29, 23, 59, 59})), "#1899-12-29 23:59:59#");
}

TEST(SetupValues, ReadsEveryFormBackToTheSecond)
{
    for (const DateTime value :
         {DateTime(), DateTime::fromSeconds(1), DateTime::fromSeconds(86399), DateTime::fromSeconds(86400),
          DateTime::fromSeconds(-86400), DateTime::fromCivil({2004, 5, 14, 8, 0, 3}),
          DateTime::fromCivil({2000, 2, 29, 0, 0, 0}), DateTime::fromCivil({9999, 12, 31, 23, 59, 59})})
        EXPECT_EQ(setup::parseDateTime(setup::formatDateTime(value)), value) << setup::formatDateTime(value);
    // Both short forms of the zero value, and the full forms of short values, are zero and times.
    EXPECT_EQ(setup::parseDateTime("#00:00:00#"), DateTime());
    EXPECT_EQ(setup::parseDateTime("#1899-12-30 00:00:00#"), DateTime());
    EXPECT_EQ(setup::parseDateTime("#2004-05-14 00:00:00#"), DateTime::fromCivil({2004, 5, 14, 0, 0, 0}));
    EXPECT_EQ(setup::parseDateTime("#2000-02-29#"), DateTime::fromCivil({2000, 2, 29, 0, 0, 0}));
}

TEST(SetupValues, RefusesLinesThatAreNoDateTime)
{
    for (const char* line :
         {"", "#", "##", "2004-05-14", "#2004-05-14", "#2004-02-30#", "#1900-02-29#", "#2004-13-01#", "#0000-01-01#",
          "#2004-5-14#", "#24:00:00#", "#12:60:00#", "#8:00:03#", "#2004-05-14T08:00:03#", "#2004-05-14  08:00:03#",
          " #2004-05-14#", "#2004-05-14# ", "#abcd-ef-gh#", "0"})
        EXPECT_EQ(setup::parseDateTime(line), std::nullopt) << line;
}

TEST(SetupValues, ReadsSixteenBitIntegersOnly)
{
    EXPECT_EQ(setup::parseInteger("16"), 16);
    EXPECT_EQ(setup::parseInteger("-32768"), -32768);
    EXPECT_EQ(setup::parseInteger("32767"), 32767);
    EXPECT_EQ(setup::parseInteger("007"), 7);
    for (const char* line :
         {"", "-", "32768", "-32769", "99999999999999999999999", "+1", " 1", "1 ", "1.0", "\"1\"", "#1#", "0x10", "一"})
        EXPECT_EQ(setup::parseInteger(line), std::nullopt) << line;
    EXPECT_EQ(setup::formatInteger(-32768), "-32768");
}

TEST(SetupValues, TextIsWhatLiesBetweenTheOuterQuotationMarks)
{
    EXPECT_EQ(setup::parseText("\"08:00\""), "08:00");
    EXPECT_EQ(setup::parseText("\"\""), "");
    EXPECT_EQ(setup::parseText("\"a\"b\""), "a\"b");
    for (const char* line : {"", "\"", "08:00", "\"08:00", "08:00\"", " \"a\""})
        EXPECT_EQ(setup::parseText(line), std::nullopt) << line;
}

} // namespace
