#include "backup_fixture.h"
#include "core/backup/backup_operations.h"
#include "core/settings/setup_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

namespace {
using namespace fernhold::test;
using core::DateTime;

const std::string kNowTitle = "つむぎ君：　現状をバックアップ";
const std::string kDayTitle = "つむぎ君：　本日をバックアップ";

core::SetupRecord parsed(const std::string& bytes)
{
    core::SetupRecord record;
    EXPECT_TRUE(core::parseSetup(bytes, record).ok());
    return record;
}

// The current state goes into the next ring slot, saved before the confirmation; the day's backup
// into today's month slot, confirmed before the save. Neither stamps the other's slots.
TEST(MenuBackups, StampTheirSlotAndSaveAroundTheConfirmation)
{
    for (const bool daily : {false, true}) {
        BackupFixture f;
        std::optional<std::string> setupAtMessage;
        f.fakes.dialogs.setOnMessage([&] { setupAtMessage = readFile(f.setupFile()); });
        f.state.setup.DayBackSlot = 4;
        const core::SetupRecord before = f.state.setup;
        const DateTime now = f.fakes.clock.now().time;

        daily ? core::backUpToday(f.state, f.fakes.services) : core::backUpCurrentState(f.state, f.fakes.services);

        EXPECT_EQ(f.state.setup.DayBackSlot, daily ? 4 : 5);
        EXPECT_EQ(f.state.setup.DayBackDate[5], daily ? before.DayBackDate[5] : now);
        EXPECT_EQ(f.state.setup.MonthBackDate[13], daily ? now : before.MonthBackDate[13]);
        EXPECT_EQ(parsed(readFile(f.setupFile())), f.state.setup);
        EXPECT_EQ(setupAtMessage, daily ? "" : readFile(f.setupFile()));
        ASSERT_EQ(f.fakes.dialogs.messages().size(), 1u);
        EXPECT_EQ(f.fakes.dialogs.messages()[0].title, daily ? kDayTitle : kNowTitle);
        EXPECT_EQ(f.fakes.dialogs.messages()[0].text, f.doneText(daily ? f.monthSlot(14) : f.daySlot(5)));
    }
}

TEST(MenuBackups, SlotEndsWithOnlyTheNewArchiveAndItsSubfolders)
{
    BackupFixture f;
    const std::string slot = f.daySlot(1);
    const std::string pending = slot + kSep + "BackUp.new.lzh";
    f.fillSlot(slot, {{"BackUp.lzh", "old"}, {"notes.txt", "n"}, {"BackUp.new.lzh", "left over from a crash"}});
    f.fillSlot(slot + kSep + "sub", {{"keep.txt", "k"}});
    bool pendingGoneBeforePacking = false;
    f.fakes.archiver.setOnRun([&](const core::archive::UnlhaCommand& command) {
        pendingGoneBeforePacking = !isFile(pending); // else the add would add onto it
        writeFile(command.archive, "new");
    });

    core::backUpCurrentState(f.state, f.fakes.services);

    EXPECT_TRUE(pendingGoneBeforePacking);
    EXPECT_EQ(listFolder(slot), (std::vector<std::string>{"BackUp.lzh", "sub"}));
    EXPECT_EQ(readFile(slot + kSep + "BackUp.lzh"), "new");
    EXPECT_EQ(readFile(slot + kSep + "sub" + kSep + "keep.txt"), "k");
    // The slot's old archive is the newest in the tree: unchanged files are copied from it.
    EXPECT_EQ(f.fakes.archiver.commands(),
              (std::vector{commandOf("a -d1 -y1 -h2 -jm2 -jc \"" + slot + kSep + "BackUp.lzh\" \"" + pending + "\" \"" +
                                     f.source + kSep + "\"")}));
}

TEST(MenuBackups, FailedPackKeepsThePreviousArchiveAndStampAndSaysSo)
{
    for (const base::ErrorCode code : {base::ErrorCode::DiskFull, base::ErrorCode::Corrupt}) {
        SCOPED_TRACE(static_cast<int>(code));
        BackupFixture f;
        const std::string slot = f.daySlot(5);
        f.fillSlot(slot, {{"BackUp.lzh", "old"}, {"notes.txt", "n"}});
        const DateTime oldStamp = DateTime::fromCivil({2004, 5, 1, 9, 0, 0});
        f.state.setup.DayBackSlot = 4;
        f.state.setup.DayBackDate[5] = oldStamp;
        f.fakes.archiver.setResult(archiveFailure(code));
        f.fakes.archiver.setOnRun(
            [](const core::archive::UnlhaCommand& command) { writeFile(command.archive, "half"); });

        core::backUpCurrentState(f.state, f.fakes.services);

        EXPECT_EQ(listFolder(slot), (std::vector<std::string>{"BackUp.lzh", "notes.txt"}));
        EXPECT_EQ(readFile(slot + kSep + "BackUp.lzh"), "old");
        EXPECT_EQ(f.state.setup.DayBackSlot, 5);
        EXPECT_EQ(f.state.setup.DayBackDate[5], oldStamp);
        EXPECT_EQ(parsed(readFile(f.setupFile())), f.state.setup);
        ASSERT_EQ(f.fakes.dialogs.messages().size(), 1u);
        EXPECT_EQ(f.fakes.dialogs.messages()[0].title, kNowTitle);
        EXPECT_EQ(f.fakes.dialogs.messages()[0].text, f.failedText(slot));
    }
}

TEST(MenuBackups, PartialPackCountsAsWrittenButNamesTheSkippedFiles)
{
    BackupFixture f;
    f.fakes.archiver.setResult(memberFailures(3));
    f.writeArchivesOnAdd("most");
    core::backUpToday(f.state, f.fakes.services);

    EXPECT_EQ(readFile(f.monthSlot(14) + kSep + "BackUp.lzh"), "most");
    EXPECT_EQ(f.state.setup.MonthBackDate[13], f.fakes.clock.now().time);
    EXPECT_EQ(f.fakes.dialogs.messages().at(0).text,
              f.source + " を \r" + f.monthSlot(14) +
                  " にバックアップしましたが、\r読み込めなかったファイル 3 個は含まれていません");
}

// A source that is not set, missing or a plain file is told about instead of backed up; so is one
// no restore could go back into, by either menu, and then nothing is saved either.
TEST(MenuBackups, AnUnusableSourceIsToldAndNotBackedUp)
{
    for (const std::string name : {"", "missing", "plain.txt", "slot", "slot, now"}) {
        SCOPED_TRACE(name);
        BackupFixture f;
        const bool daily = name != "slot, now";
        const bool slot = name.rfind("slot", 0) == 0;
        const std::string folder = name.empty() ? "" : slot ? f.daySlot(4) : f.temp.file(name);
        if (name == "plain.txt")
            writeFile(folder, "x");
        f.state.setup.BackupFolder = folder;

        daily ? core::backUpToday(f.state, f.fakes.services) : core::backUpCurrentState(f.state, f.fakes.services);

        EXPECT_TRUE(f.fakes.archiver.commands().empty());
        EXPECT_EQ(f.state.setup.DayBackSlot, 0);
        EXPECT_TRUE(f.state.setup.MonthBackDate[13].isZero());
        ASSERT_EQ(f.fakes.dialogs.messages().size(), 1u);
        EXPECT_EQ(f.fakes.dialogs.messages()[0].title, daily ? kDayTitle : kNowTitle);
        const std::string notBackedUp = "、\r" + f.monthSlot(14) + " にバックアップできませんでした";
        const std::string why =
            slot           ? "ので　バックアップしても復元できません。"
            : name.empty() ? "バックアップするフォルダが設定されていないため" + notBackedUp
                           : "バックアップするフォルダ " + folder + " が見つからないか読み込めないため" + notBackedUp;
        EXPECT_NE(f.fakes.dialogs.messages()[0].text.find(why), std::string::npos)
            << f.fakes.dialogs.messages()[0].text;
        if (slot) {
            EXPECT_FALSE(isFile(f.setupFile()));
        }
    }
}

TEST(Compress, MarksTheProgramBusyForTheCallOnlyAndLeavesOutItsOwnTreeWhenTheSourceHoldsIt)
{
    BackupFixture f;
    bool busyDuringCall = false;
    f.fakes.archiver.setOnRun([&](const core::archive::UnlhaCommand&) { busyDuringCall = f.state.archiveBusy; });
    const std::string& program = f.state.programFolder;
    const auto excluded = [&](const std::string& source) {
        core::compress(f.state, f.fakes.services, source, f.monthSlot(14));
        return f.fakes.archiver.calls().back().options.excludedPaths;
    };
    const std::vector<std::string> whole = excluded(f.temp.path());
    EXPECT_TRUE(busyDuringCall);
    EXPECT_FALSE(f.state.archiveBusy);
    for (const char* own : {"MonthBack", "DayBack", "setup.def", "TmpRead"})
        EXPECT_NE(std::find(whole.begin(), whole.end(), program + kSep + own), whole.end()) << own;
    // The default protected folder is TmpRead itself: nothing of it may be left out.
    EXPECT_TRUE(excluded(program + kSep + "TmpRead").empty());
    // A protected folder inside the tree never packs the archive being written.
    EXPECT_EQ(excluded(program + kSep + "MonthBack"),
              (std::vector<std::string>{f.monthSlot(14), f.monthSlot(14) + kSep + "BackUp.lzh"}));
}

} // namespace
