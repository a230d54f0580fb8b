#include "core/restore/reload_model.h"

#include "core/restore/restore_messages.h"
#include "core/store/backup_tree.h"
#include "platform/paths.h"
#include "support/fixed_locale_format.h"

#include <gtest/gtest.h>

namespace fernhold::test {
namespace {

using core::DateTime;
using core::restore::ReloadModel;

const std::string kSep(1, platform::kSeparator);
const std::string kProgram = kSep + "Apps" + kSep + "Keeper";

DateTime at(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
    return DateTime::fromCivil({year, month, day, hour, minute, second});
}

class ReloadModelTest : public ::testing::Test {
protected:
    ReloadModel byDate() const { return ReloadModel(kProgram, 0, m_setup, m_locale); }
    ReloadModel byTime(int mode = 1) const { return ReloadModel(kProgram, mode, m_setup, m_locale); }

    core::SetupRecord m_setup;
    FixedLocaleFormat m_locale;
};

// By date thirty-one days, by time (any mode but zero) the twenty-four ring slots, each with its
// stamp; the window opens on the first entry.
TEST_F(ReloadModelTest, ListsEachSlotWithItsStampAndOpensOnTheFirst)
{
    m_setup.MonthBackDate[0] = at(2004, 5, 1, 8, 0, 3);
    m_setup.MonthBackDate[4] = at(2004, 5, 5);             // midnight: the date alone
    m_setup.MonthBackDate[30] = DateTime::fromSeconds(61); // no date part: the time alone
    m_setup.DayBackDate[23] = at(2026, 12, 6, 23, 59, 59);

    const ReloadModel date = byDate();
    ASSERT_EQ(date.entries().size(), 31u);
    EXPECT_EQ(date.entries()[0], "01日  2004/05/01 8:00:03");
    EXPECT_EQ(date.entries()[1], "02日  0:00:00");
    EXPECT_EQ(date.entries()[4], "05日  2004/05/05");
    EXPECT_EQ(date.entries()[30], "31日  0:01:01");
    EXPECT_EQ(date.slotPath(), core::monthSlotPath(kProgram, 1));
    for (int mode : {1, -1, 7}) {
        const ReloadModel time = byTime(mode);
        ASSERT_EQ(time.entries().size(), 24u);
        EXPECT_EQ(time.entries()[0], "00: 0:00:00");
        EXPECT_EQ(time.entries()[23], "23: 2026/12/06 23:59:59");
        EXPECT_EQ(time.restoreButtonCaption(), "指定時刻の復元（上書き）");
        EXPECT_EQ(time.slotPath(), core::daySlotPath(kProgram, 0));
        EXPECT_EQ(time.title(), ".." + kSep + "Keeper" + kSep + "DayBack" + kSep + "hback00");
    }
}

// Before the window is active list clicks are ignored. Once active, a chosen entry moves both
// folder lists, and a folder ending in a slot number selects that entry of the model's own mode;
// other folders show their files but keep the selected slot.
TEST_F(ReloadModelTest, EntriesAndSlotFoldersMoveTheSelectionOnceActive)
{
    m_setup.DayBackDate[4] = at(2026, 12, 6, 4, 0, 2);
    ReloadModel date = byDate();
    ReloadModel time = byTime();
    date.entryClicked(4);
    EXPECT_EQ(date.selectedEntry(), 0);
    date.activate();
    time.activate();

    date.entryClicked(4);
    time.entryClicked(4);
    EXPECT_EQ(date.slotPath(), core::monthSlotPath(kProgram, 5));
    EXPECT_EQ(core::restore::confirmationText(date.description(m_setup, m_locale)),
              "05日の　データを復元します。\r\r現在のデータは上書きされてなくなります。\r\rそれでも　実行しますか？");
    EXPECT_EQ(time.slotPath(), core::daySlotPath(kProgram, 4));
    EXPECT_EQ(core::restore::confirmationText(time.description(m_setup, m_locale)),
              "時刻 = 2026/12/06 4:00:02  の　データを復元します。\r\r現在のデータは上書きされてなくなります。\r\r"
              "それでも　実行しますか？");

    date.folderChanged(core::monthSlotPath(kProgram, 12));
    time.folderChanged(core::monthSlotPath(kProgram, 12));
    EXPECT_EQ(date.selectedEntry(), 11);
    EXPECT_EQ(date.slotPath(), core::monthSlotPath(kProgram, 12));
    EXPECT_EQ(time.selectedEntry(), 12);

    for (const char* tail : {"Documents", "mback32", "mback00", "x-1", "x1.", "x 5", "7"})
        date.folderChanged(kSep + "elsewhere" + kSep + tail);
    for (const char* tail : {"hback24", "x-1", "x1.", "x+5", "99"})
        time.folderChanged(kSep + "elsewhere" + kSep + tail);
    EXPECT_EQ(date.selectedEntry(), 11);
    EXPECT_EQ(date.slotPath(), core::monthSlotPath(kProgram, 12));
    EXPECT_EQ(date.fileFolder(), kSep + "elsewhere" + kSep + "7");
    EXPECT_EQ(time.selectedEntry(), 12);
    EXPECT_EQ(time.slotPath(), core::daySlotPath(kProgram, 12));
}

} // namespace
} // namespace fernhold::test
