#include "core/store/backup_tree.h"
#include "platform/file_io.h"
#include "platform/paths.h"
#include "support/file_helpers.h"
#include "support/temp_folder.h"

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

TEST(SlotRules, TheDayRingTakesTheNextSlotAndRestartsAHandEditedOne)
{
    for (const auto& [slot, next] :
         {std::pair<std::int16_t, int>{7, 8}, {22, 23}, {23, 0}, {-7, 0}, {24, 0}, {99, 0}}) {
        core::SetupRecord record;
        record.DayBackSlot = slot;
        EXPECT_EQ(core::chooseNextDaySlot(record, "P", at(2004, 5, 14)), core::daySlotPath("P", next)) << slot;
        EXPECT_EQ(record.DayBackSlot, next);
        EXPECT_EQ(record.DayBackDate[static_cast<std::size_t>(next)], at(2004, 5, 14));
    }
}

// Unchanged files are carried from the newest archive in the tree, never from the one being written.
TEST(SlotRules, TheNewestArchiveIsTheLastWrittenBarTheOneExcepted)
{
    fernhold::test::TempFolder temp;
    ASSERT_TRUE(core::createBackupTree(temp.path()).ok());
    EXPECT_EQ(core::newestArchive(temp.path(), ""), "");
    const std::vector<std::pair<std::string, std::int64_t>> archives = {
        {core::archivePathInSlot(core::monthSlotPath(temp.path(), 3)), 1'700'000'300},
        {core::archivePathInSlot(core::daySlotPath(temp.path(), 20)), 1'700'000'200},
        {core::archivePathInSlot(core::daySlotPath(temp.path(), 1)), 1'700'000'100},
    };
    for (const auto& [archive, time] : archives) {
        ASSERT_TRUE(fernhold::test::writeFile(archive, "lzh"));
        ASSERT_TRUE(platform::setModificationTime(platform::toPath(archive), time).ok());
    }
    EXPECT_EQ(core::newestArchive(temp.path(), ""), archives[0].first);
    EXPECT_EQ(core::newestArchive(temp.path(), archives[0].first), archives[1].first);
}

TEST(SlotRules, SourcePathLosesOneTrailingSeparatorOnly)
{
    EXPECT_EQ(core::sourcePath("D" + kSep + "データ" + kSep), "D" + kSep + "データ");
    EXPECT_EQ(core::sourcePath("D" + kSep + kSep), "D" + kSep);
    EXPECT_EQ(core::sourcePath(""), "");
    EXPECT_EQ(core::archivePathInSlot("S"), "S" + kSep + "BackUp.lzh");
}

} // namespace
