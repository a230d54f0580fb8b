#include "core/store/backup_tree.h"
#include "platform/paths.h"

#include <gtest/gtest.h>

namespace {
using core::DateTime;

const std::string kSep(1, platform::kSeparator);

DateTime at(int y, int mo, int d, int h = 10, int mi = 0, int s = 0)
{
    return DateTime::fromCivil({y, mo, d, h, mi, s});
}

TEST(SlotRules, TodaysMonthSlotStampsTheDayOfMonthEntry)
{
    core::SetupRecord record;
    const DateTime now = at(2004, 2, 29, 8, 0, 3);
    EXPECT_EQ(core::chooseTodaysMonthSlot(record, "P", now), "P" + kSep + "MonthBack" + kSep + "mback29");
    EXPECT_EQ(record.MonthBackDate[28], now);
    EXPECT_EQ(core::chooseTodaysMonthSlot(record, "P", at(2004, 3, 1)), "P" + kSep + "MonthBack" + kSep + "mback01");
    EXPECT_EQ(record.MonthBackDate[0], at(2004, 3, 1));
}

TEST(SlotRules, SourcePathLosesOneTrailingSeparatorOnly)
{
    EXPECT_EQ(core::sourcePath("D" + kSep + "データ" + kSep), "D" + kSep + "データ");
    EXPECT_EQ(core::sourcePath("D" + kSep + kSep), "D" + kSep);
    EXPECT_EQ(core::sourcePath("D"), "D");
    EXPECT_EQ(core::sourcePath(""), "");
    EXPECT_EQ(core::archivePathInSlot("S"), "S" + kSep + "BackUp.lzh");
}

} // namespace
