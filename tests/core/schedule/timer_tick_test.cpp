#include "../backup/backup_fixture.h"
#include "core/schedule/schedule_time.h"
#include "core/schedule/timer_tick.h"

#include <gtest/gtest.h>

namespace {
using namespace fernhold::test;
using core::DateTime;

// Ticks once a second from h:m:s for count ticks; returns the seconds (of that minute) at which an
// archive command ran.
std::vector<int> tickFrom(BackupFixture& f, int h, int m, int s, int count)
{
    std::vector<int> firedAt;
    f.fakes.clock.set(2004, 5, 14, h, m, s);
    for (int i = 0; i < count; ++i) {
        const std::size_t before = f.fakes.archiver.calls().size();
        core::runTick(f.state, f.fakes.services);
        if (f.fakes.archiver.calls().size() != before)
            firedAt.push_back(f.fakes.clock.now().time.civil().second);
        f.fakes.clock.advanceSeconds(1);
    }
    return firedAt;
}

// A backup fires once, on the first tick of its window (its second and the five after it) or at
// once on a start inside it; a start a second later does not fire, and past the window it is armed
// again. The hour's window opens on the tick past midnight.
TEST(TimerTick, EachBackupFiresOnceInItsWindowAndIsArmedAgainAfterIt)
{
    struct Case {
        const char* what;
        bool hourly;
        int h, m, s, ticks;
        std::vector<int> firedAt;
    };
    const Case cases[] = {
        {"timed, from before", false, 7, 59, 58, 9, {0}},
        {"timed, from its last second", false, 8, 0, 5, 2, {5}},
        {"timed, just after", false, 8, 0, 6, 2, {}},
        {"hourly, across midnight", true, 23, 59, 58, 9, {0}},
        {"hourly, from its last second", true, 8, 0, 5, 2, {5}},
        {"hourly, just after", true, 8, 0, 6, 2, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BackupFixture f;
        f.state.setup.MonthBackOption[1] = c.hourly ? 0 : 1;
        f.state.setup.DayBackHour[c.h == 23 ? 0 : c.h] = c.hourly ? 1 : 0;
        EXPECT_EQ(tickFrom(f, c.h, c.m, c.s, c.ticks), c.firedAt);
        EXPECT_EQ(f.state.TimerDone, (std::array<std::int16_t, 2>{0, 0}));
    }
}

TEST(TimerTick, TimedAndHourBackupsMeetingRunInOneTickMonthBackFirst)
{
    BackupFixture f;
    f.state.setup.MonthBackOption[1] = 1;
    f.state.setup.DayBackHour[8] = 1;
    EXPECT_EQ(tickFrom(f, 8, 0, 1, 1), (std::vector<int>{1}));
    ASSERT_EQ(f.fakes.archiver.commands().size(), 2u);
    EXPECT_EQ(f.fakes.archiver.commands()[0].archive, f.monthSlot(14) + kSep + "BackUp.lzh");
    EXPECT_EQ(f.fakes.archiver.commands()[1].archive, f.daySlot(1) + kSep + "BackUp.lzh");
}

TEST(TimerTick, WhileAnArchiveRunsATickOnlySetsTheTitle)
{
    BackupFixture f;
    f.state.setup.MonthBackOption[1] = 1;
    f.state.setup.DayBackHour[8] = 1;
    f.state.archiveBusy = true;
    EXPECT_TRUE(tickFrom(f, 8, 0, 0, 3).empty());
    EXPECT_EQ(f.fakes.mainView.titles(),
              (std::vector<std::string>{"つむぎ君: 8:00:00", "つむぎ君: 8:00:01", "つむぎ君: 8:00:02"}));
    EXPECT_EQ(f.state.TimerDone, (std::array<std::int16_t, 2>{0, 0}));

    f.state.archiveBusy = false; // the window is still open when the archive is done
    EXPECT_EQ(tickFrom(f, 8, 0, 3, 1), (std::vector<int>{3}));
}

// An hour's backup adds onto its slot without clearing it, and shows and saves nothing; a failure
// is told through a notice that does not block the timer, and the slot's stamp goes back.
TEST(ScheduledBackups, AddOntoTheSlotSilentlyAndTellAFailureWithoutBlocking)
{
    for (const bool fails : {false, true}) {
        BackupFixture f;
        f.state.setup.DayBackHour[8] = 1;
        f.fillSlot(f.daySlot(1), {{"notes.txt", "n"}});
        if (fails)
            f.fakes.archiver.setResult(archiveFailure(base::ErrorCode::DiskFull));
        tickFrom(f, 8, 0, 0, 1);
        EXPECT_EQ(f.fakes.archiver.commands(), (std::vector{commandOf("a -d1 -y1 -h2 -jm2 \"" + f.daySlot(1) + kSep +
                                                                      "BackUp.lzh\" \"" + f.source + kSep + "\"")}));
        EXPECT_TRUE(isFile(f.daySlot(1) + kSep + "notes.txt"));
        EXPECT_EQ(f.state.setup.DayBackSlot, 1);
        EXPECT_EQ(f.state.setup.DayBackDate[1].isZero(), fails);
        EXPECT_EQ(f.state.TimerDone[1], -1);
        EXPECT_TRUE(f.fakes.dialogs.messages().empty());
        EXPECT_FALSE(isFile(f.setupFile()));
        ASSERT_EQ(f.fakes.dialogs.notifications().size(), fails ? 1u : 0u);
        if (fails) {
            EXPECT_EQ(f.fakes.dialogs.notifications()[0].title, "つむぎ君：　自動バックアップ");
            EXPECT_EQ(f.fakes.dialogs.notifications()[0].text, f.failedText(f.daySlot(1)));
        }
    }
}

// A protected folder inside the slot tree could never be restored: the hour's backup is skipped
// and told once, through the notices that do not block the timer.
TEST(ScheduledBackups, AFolderThatCouldNeverBeRestoredIsSkippedWithOneNotice)
{
    BackupFixture f;
    f.state.setup.DayBackHour[8] = 1;
    f.state.setup.BackupFolder = f.daySlot(5);
    tickFrom(f, 8, 0, 0, 10);
    EXPECT_TRUE(f.fakes.archiver.commands().empty());
    EXPECT_EQ(f.state.setup.DayBackSlot, 0);
    EXPECT_TRUE(f.fakes.dialogs.messages().empty());
    ASSERT_EQ(f.fakes.dialogs.notifications().size(), 1u);
    EXPECT_EQ(f.fakes.dialogs.notifications()[0].text.rfind(f.daySlot(5) + " は\rバックアップの保存場所の中にある", 0),
              0u);
}

TEST(StartupBackup, WritesTodaysSlotThenTheNextRingSlotSilently)
{
    BackupFixture f;
    f.state.setup.DayBackSlot = 23;
    f.state.TimerDone = {-1, 0};
    core::runStartupBackup(f.state, f.fakes.services);
    ASSERT_EQ(f.fakes.archiver.commands().size(), 2u);
    EXPECT_EQ(f.fakes.archiver.commands()[0].archive, f.monthSlot(14) + kSep + "BackUp.lzh");
    EXPECT_EQ(f.fakes.archiver.commands()[1].archive, f.daySlot(0) + kSep + "BackUp.lzh");
    EXPECT_EQ(f.state.setup.DayBackSlot, 0);
    EXPECT_EQ(f.state.TimerDone, (std::array<std::int16_t, 2>{-1, 0}));
    EXPECT_TRUE(f.fakes.dialogs.shown().empty());
    EXPECT_FALSE(isFile(f.setupFile()));
}

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
