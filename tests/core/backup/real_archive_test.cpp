// The backups through the real archiver: what lands in a slot extracts to the protected folder's
// contents, and real failures leave the previous archive as it was.

#include "archiver/member_packer.h"
#include "backup_fixture.h"
#include "core/backup/backup_operations.h"
#include "core/schedule/timer_tick.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

namespace {
using namespace fernhold::test;
namespace fs = std::filesystem;
using core::DateTime;

// The real archiver, optionally meddling with the source while it packs.
class RealRunner final : public core::ArchiveRunner {
public:
    core::archive::ArchiveResult run(const core::archive::UnlhaCommand& command,
                                     const core::archive::ArchiveOptions& options) override
    {
        core::archive::ArchiveOptions withHook = options;
        bool first = true;
        withHook.onProgress = [&](std::uint64_t, std::uint64_t, const std::string& member) {
            if (first && duringFirstMember)
                duringFirstMember(member);
            first = false;
        };
        commands.push_back(command);
        results.push_back(m_direct.run(command, withHook));
        return results.back();
    }
    std::function<void(const std::string& member)> duringFirstMember;
    std::vector<core::archive::UnlhaCommand> commands;
    std::vector<core::archive::ArchiveResult> results;

private:
    core::DirectArchiveRunner m_direct;
};

class RealBackup : public BackupFixture {
public:
    RealBackup()
    {
        makeFolder(platform::joinPath(source, "sub"));
        writeFile(platform::joinPath(source, "sub" + kSep + "日本語.bin"), mixedBytes(200000, 1));
        writeFile(platform::joinPath(source, "b.txt"), "bbb");
    }

    std::map<std::string, std::string> extracted(const std::string& slot)
    {
        const std::string target = temp.file("out" + std::to_string(++m_extractions));
        makeFolder(target);
        const std::string command = "x -d1 -y1 \"" + slot + kSep + "BackUp.lzh\" \"" + target + kSep + "\"";
        EXPECT_EQ(core::archive::Unlha(nullptr, command.c_str(), nullptr, 0), core::archive::kUnlhaOk);
        return treeOf(target);
    }

    RealRunner runner;
    core::Services services{fakes.clock, fakes.dialogs, fakes.mainView, runner, fakes.locale};

private:
    int m_extractions = 0;
};

TEST(RealArchive, MenuBackupsPackTheWholeFolderTreeAndOnlyItsCurrentFiles)
{
    RealBackup f;
    core::backUpCurrentState(f.state, f.services);
    EXPECT_EQ(listFolder(f.daySlot(1)), std::vector<std::string>{"BackUp.lzh"});
    EXPECT_EQ(f.extracted(f.daySlot(1)), treeOf(f.source));

    core::backUpToday(f.state, f.services);
    fs::remove(platform::toPath(platform::joinPath(f.source, "b.txt")));
    core::backUpToday(f.state, f.services);
    const auto second = f.extracted(f.monthSlot(14));
    EXPECT_EQ(second, treeOf(f.source));
    EXPECT_EQ(second.count("b.txt"), 0u);
    EXPECT_EQ(f.fakes.dialogs.messages().back().text, f.doneText(f.monthSlot(14)));
}

TEST(RealArchive, ScheduledBackupAddsOntoTheArchiveInTheSlot)
{
    RealBackup f;
    core::runStartupBackup(f.state, f.services);
    fs::remove(platform::toPath(platform::joinPath(f.source, "b.txt")));
    writeFile(platform::joinPath(f.source, "a.txt"), "changed");
    core::runStartupBackup(f.state, f.services);

    const auto files = f.extracted(f.monthSlot(14));
    EXPECT_EQ(files.at("b.txt"), "bbb");
    EXPECT_EQ(files.at("a.txt"), "changed");
    EXPECT_TRUE(f.fakes.dialogs.shown().empty());
}

TEST(RealArchive, BackupsCopyUnchangedFilesFromTheNewestArchiveAndPackChangedOnes)
{
    RealBackup f;
    int files = 0;
    for (const auto& [path, bytes] : treeOf(f.source))
        files += path.back() != '/';
    core::backUpCurrentState(f.state, f.services); // hback01, from nothing
    // Same size and modification time, other content: only the change time tells.
    const fs::path changed = platform::toPath(platform::joinPath(f.source, "sub" + kSep + "日本語.bin"));
    const auto stamp = fs::last_write_time(changed);
    writeFile(platform::fromPath(changed), mixedBytes(200000, 2));
    fs::last_write_time(changed, stamp);
    core::backUpCurrentState(f.state, f.services); // hback02, a menu backup: from hback01
    core::runStartupBackup(f.state, f.services);   // mback14 from hback02; hback03
    core::runStartupBackup(f.state, f.services);   // onto mback14's own archive; hback04

    ASSERT_EQ(f.runner.results.size(), 6u);
    EXPECT_EQ(f.runner.results[0].carriedMembers, 0);
    EXPECT_EQ(f.runner.commands[1].carryFrom, f.daySlot(1) + kSep + "BackUp.lzh");
    EXPECT_EQ(f.runner.results[1].carriedMembers, files - 1);
    EXPECT_EQ(f.runner.commands[2].carryFrom, f.daySlot(2) + kSep + "BackUp.lzh");
    EXPECT_EQ(f.runner.commands[4].carryFrom, "");
    for (int i : {2, 3, 4, 5})
        EXPECT_EQ(f.runner.results[i].carriedMembers, files) << i;
    for (const std::string& slot : {f.daySlot(2), f.monthSlot(14)})
        EXPECT_EQ(f.extracted(slot), treeOf(f.source));
}

// The backups refuse such a protected folder; compress on its own still never packs the tree.
TEST(RealArchive, ProgramsOwnTreeIsLeftOutWhenTheSourceHoldsIt)
{
    RealBackup f;
    makeFolder(f.state.programFolder + kSep + "TmpRead");
    writeFile(f.state.programFolder + kSep + "TmpRead" + kSep + "t.txt", "t");
    core::backUpCurrentState(f.state, f.services); // hback01 holds an archive now
    makeFolder(f.daySlot(2));
    core::compress(f.state, f.services, f.temp.path(), f.daySlot(2));

    const auto files = f.extracted(f.daySlot(2));
    EXPECT_EQ(files.at("データ/a.txt"), "a");
    for (const auto& [path, bytes] : files)
        EXPECT_TRUE(path == "Fernhold/" || path.rfind("Fernhold/", 0) != 0) << path;
}

TEST(RealArchive, MissingSourceKeepsThePreviousArchiveAndStampAndTheNextBackupWorks)
{
    RealBackup f;
    core::backUpToday(f.state, f.services);
    const std::string archive = f.monthSlot(14) + kSep + "BackUp.lzh";
    const std::string before = readFile(archive);
    const DateTime firstStamp = f.state.setup.MonthBackDate[13];

    const std::string away = f.temp.file("away");
    fs::rename(platform::toPath(f.source), platform::toPath(away));
    f.fakes.clock.advanceSeconds(60);
    core::backUpToday(f.state, f.services);
    EXPECT_EQ(readFile(archive), before);
    EXPECT_EQ(f.state.setup.MonthBackDate[13], firstStamp);

    fs::rename(platform::toPath(away), platform::toPath(f.source));
    core::backUpToday(f.state, f.services);
    EXPECT_EQ(f.state.setup.MonthBackDate[13], f.fakes.clock.now().time);
    EXPECT_EQ(f.extracted(f.monthSlot(14)), treeOf(f.source));
}

TEST(RealArchive, FilesRemovedDuringTheBackupAreCountedInTheMessage)
{
    RealBackup f;
    fs::remove_all(platform::toPath(platform::joinPath(f.source, "sub")));
    // The packer takes entries a bounded distance ahead of the one it writes; the file removed
    // comes farther behind the first member, so it cannot have been read yet.
    for (std::size_t i = 0; i < archiver::MemberPacker::kMaxAhead + 8; ++i)
        writeFile(platform::joinPath(f.source, "f" + std::to_string(10000 + i) + ".txt"), "f");
    writeFile(platform::joinPath(f.source, "zz.txt"), "z");
    int removed = 0;
    f.runner.duringFirstMember = [&](const std::string&) {
        if (fs::remove(platform::toPath(platform::joinPath(f.source, "zz.txt"))))
            ++removed;
    };
    core::backUpCurrentState(f.state, f.services);

    ASSERT_EQ(removed, 1);
    EXPECT_EQ(f.extracted(f.daySlot(1)), treeOf(f.source));
    EXPECT_EQ(f.state.setup.DayBackDate[1], f.fakes.clock.now().time);
    EXPECT_EQ(f.fakes.dialogs.messages().back().text,
              f.source + " を \r" + f.daySlot(1) +
                  " にバックアップしましたが、\r読み込めなかったファイル 1 個は含まれていません");
}

TEST(RealArchive, DamagedArchiveInTheSlotStopsAScheduledAddWithoutTouchingIt)
{
    RealBackup f;
    const std::string archive = f.monthSlot(14) + kSep + "BackUp.lzh";
    f.fillSlot(f.monthSlot(14), {{"BackUp.lzh", "not an archive at all, but long enough to look for a header in it"}});
    f.state.setup.MonthBackOption[1] = 1;
    f.fakes.clock.set(2004, 5, 14, 8, 0, 0);
    core::runTick(f.state, f.services);

    EXPECT_EQ(readFile(archive), "not an archive at all, but long enough to look for a header in it");
    EXPECT_TRUE(f.state.setup.MonthBackDate[13].isZero());
    ASSERT_EQ(f.fakes.dialogs.notifications().size(), 1u);
    EXPECT_EQ(f.fakes.dialogs.notifications()[0].text, f.failedText(f.monthSlot(14)));

    core::backUpToday(f.state, f.services); // the menu backup replaces it whole
    EXPECT_EQ(f.extracted(f.monthSlot(14)), treeOf(f.source));
}

} // namespace
