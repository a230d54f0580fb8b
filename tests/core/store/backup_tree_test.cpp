#include "core/store/backup_tree.h"
#include "platform/paths.h"
#include "support/file_helpers.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

namespace {
using core::DateTime;
using fernhold::test::TempFolder;

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

TEST(SlotRules, NextDaySlotAdvancesRoundTheRingBeforeStamping)
{
    core::SetupRecord record;
    const DateTime now = at(2004, 5, 14, 14, 0, 2);
    EXPECT_EQ(core::chooseNextDaySlot(record, "P", now), "P" + kSep + "DayBack" + kSep + "hback01");
    EXPECT_EQ(record.DayBackSlot, 1);
    EXPECT_EQ(record.DayBackDate[1], now);

    record.DayBackSlot = 23;
    EXPECT_EQ(core::chooseNextDaySlot(record, "P", now), "P" + kSep + "DayBack" + kSep + "hback00");
    EXPECT_EQ(record.DayBackSlot, 0);
}

TEST(SlotRules, HandEditedSlotOutsideTheRingRestartsItAtZero)
{
    core::SetupRecord record;
    for (const std::int16_t odd : {std::int16_t{-5}, std::int16_t{40}, std::int16_t{32767}}) {
        record.DayBackSlot = odd;
        EXPECT_EQ(core::chooseNextDaySlot(record, "P", at(2004, 5, 14)), "P" + kSep + "DayBack" + kSep + "hback00");
        EXPECT_EQ(record.DayBackSlot, 0);
    }
}

TEST(SlotRules, SourcePathLosesOneTrailingSeparatorOnly)
{
    EXPECT_EQ(core::sourcePath("D" + kSep + "データ" + kSep), "D" + kSep + "データ");
    EXPECT_EQ(core::sourcePath("D" + kSep + kSep), "D" + kSep);
    EXPECT_EQ(core::sourcePath("D"), "D");
    EXPECT_EQ(core::sourcePath(""), "");
    EXPECT_EQ(core::archivePathInSlot("S"), "S" + kSep + "BackUp.lzh");
}

TEST(BackupTree, CreatesFiftySevenFoldersAndKeepsWhatExists)
{
    TempFolder program;
    ASSERT_TRUE(core::createBackupTree(program.path()).isOk());
    std::vector<std::string> folders = fernhold::test::listFoldersRecursively(program.path());
    ASSERT_EQ(folders.size(), 57u);
    EXPECT_EQ(folders.front(), "DayBack");
    EXPECT_EQ(folders[1], "DayBack/hback00");
    EXPECT_EQ(folders[24], "DayBack/hback23");
    EXPECT_EQ(folders[25], "MonthBack");
    EXPECT_EQ(folders[26], "MonthBack/mback01");
    EXPECT_EQ(folders.back(), "MonthBack/mback31");

    const std::string archive = core::archivePathInSlot(core::daySlotPath(program.path(), 5));
    ASSERT_TRUE(fernhold::test::writeFile(archive, "lzh"));
    ASSERT_TRUE(core::createBackupTree(program.path()).isOk());
    EXPECT_EQ(fernhold::test::listFoldersRecursively(program.path()), folders);
    EXPECT_EQ(fernhold::test::readFile(archive), "lzh");

    ASSERT_TRUE(core::createTmpRead(program.path()).isOk());
    EXPECT_TRUE(fernhold::test::isFolder(core::tmpReadFolder(program.path())));
}

TEST(BackupTree, KeepsAPlainFileWithATreeNameAndNamesTheFolderItBlocks)
{
    TempFolder program;
    const std::string dayBack = core::dayBackFolder(program.path());
    ASSERT_TRUE(fernhold::test::writeFile(dayBack, "mine"));
    const base::Status status = core::createBackupTree(program.path());
    EXPECT_FALSE(status.isOk());
    EXPECT_EQ(status.path(), core::daySlotPath(program.path(), 0));
    EXPECT_FALSE(status.detail().empty());
    EXPECT_EQ(fernhold::test::readFile(dayBack), "mine");
    // The MonthBack branch before it is complete.
    EXPECT_TRUE(fernhold::test::isFolder(core::monthSlotPath(program.path(), 31)));
}

} // namespace
