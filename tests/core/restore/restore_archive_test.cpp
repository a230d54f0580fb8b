#include "core/restore/restore_archive.h"

#include "core/archive/unlha.h"
#include "core/settings/setup_file.h"
#include "restore_fixture.h"

#include <filesystem>

namespace fernhold::test {
namespace {

using core::restore::RestoreArchive;
using core::restore::RestoreOutcome;

const std::string kRestoreTitle = "つむぎ君：　復元する";

class RestoreArchiveTest : public RestoreFixture {
protected:
    RestoreArchiveTest()
    {
        m_archive = core::archivePathInSlot(core::monthSlotPath(m_program, 5));
        put("prog/MonthBack/mback05/BackUp.lzh", "archive bytes");
    }

    RestoreOutcome restore(const std::string& target, int report = 1)
    {
        return RestoreArchive(m_state, m_fakes.services, m_archive, target, report);
    }

    std::string m_archive;
};

TEST_F(RestoreArchiveTest, PaintsTheTitleThenTestsThenClearsThenExtracts)
{
    put("data/old.txt", "old");
    std::vector<std::map<std::string, std::string>> targetDuringCalls;
    std::vector<bool> busyDuringCalls;
    m_fakes.archiver.setOnRun([&](const core::archive::UnlhaCommand&) {
        EXPECT_EQ(m_fakes.mainView.titles(), std::vector<std::string>{"復元中"});
        EXPECT_EQ(m_fakes.mainView.eventPumps(), 1);
        targetDuringCalls.push_back(treeOf(m_protected));
        busyDuringCalls.push_back(m_state.archiveBusy);
    });

    EXPECT_EQ(restore(m_protected), RestoreOutcome::Restored);

    const char sep = platform::kSeparator;
    EXPECT_EQ(m_fakes.archiver.commands(),
              (std::vector{commandOf("t \"" + m_archive + "\""),
                           commandOf("x -d1 -y1 \"" + m_archive + "\" \"" + m_protected + sep + "\"")}));
    ASSERT_EQ(targetDuringCalls.size(), 2u);
    EXPECT_EQ(targetDuringCalls[0].count("old.txt"), 1u) << "nothing may go before the test has passed";
    EXPECT_TRUE(targetDuringCalls[1].empty());
    EXPECT_EQ(busyDuringCalls, (std::vector<bool>{true, true}));
    EXPECT_FALSE(m_state.archiveBusy);
}

// A missing archive stops before the archiver; one failing its test, or too large for the volume (a
// pebibyte outgrows any disk), stops after the test alone. The target stays exactly as it was.
TEST_F(RestoreArchiveTest, ARejectedArchiveLeavesTheTargetExactlyAsItWas)
{
    struct Case {
        const char* what;
        std::string archive;
        core::archive::ArchiveResult result;
        RestoreOutcome outcome;
        std::size_t commands;
        std::string message;
    };
    core::archive::ArchiveResult huge;
    huge.bytesNeeded = std::uint64_t{1} << 50;
    const std::string missing = core::archivePathInSlot(core::monthSlotPath(m_program, 6));
    const std::vector<Case> cases = {
        {"missing",
         missing,
         {},
         RestoreOutcome::ArchiveRejected,
         0,
         missing + " が見つからないか、読み取れません。\r\r"},
        {"corrupt", m_archive, archiveFailure(base::ErrorCode::Corrupt, "header checksum mismatch"),
         RestoreOutcome::ArchiveRejected, 1, m_archive + " は壊れています。\r（error: header checksum mismatch）\r\r"},
        {"too large", m_archive, huge, RestoreOutcome::NotEnoughSpace, 1,
         m_archive + " を \r" + m_protected +
             " に復元できませんでした！\r\rドライブの空きが足りません。\r（必要 1073741824.0 MB、"},
    };
    put("data/a.txt", "A");
    put("data/sub/b.txt", "B");
    const auto before = treeOf(m_protected);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m_fakes.dialogs.clear();
        m_fakes.archiver = {};
        m_fakes.archiver.setResult(c.result);
        m_archive = c.archive;

        EXPECT_EQ(restore(m_protected), c.outcome);

        EXPECT_EQ(treeOf(m_protected), before);
        EXPECT_EQ(m_fakes.archiver.commands().size(), c.commands);
        ASSERT_EQ(m_fakes.dialogs.messages().size(), 1u);
        EXPECT_EQ(m_fakes.dialogs.messages()[0].title, kRestoreTitle);
        const std::string text = m_fakes.dialogs.messages()[0].text;
        EXPECT_EQ(text.rfind(c.message, 0), 0u) << text;
        EXPECT_NE(text.find("復元を中止しました。　" + m_protected + " は変更していません。"), std::string::npos)
            << text;
    }
    EXPECT_TRUE(isFile(core::setupFilePath(m_program)));
}

TEST_F(RestoreArchiveTest, RefusesTargetsWhoseClearingWouldDoHarmAndTouchesNothing)
{
    put("prog/MonthBack/mback05/keep.txt", "k");
    put("prog/DayBack/hback03/sub/keep.txt", "k");
    const bool aliased = link(m_program, "alias");
    const auto before = treeOf(m_temp.path());
    const char sep = platform::kSeparator;
    const std::string root(1, sep);
    std::vector<std::pair<std::string, std::string>> refused = {
        {"", "復元先のフォルダが指定されていません！"},
        {"C:", "C: は\rドライブ全体を指しているので　復元先にできません！"},
        {root, root + " は\rドライブ全体を指しているので　復元先にできません！"},
        {"relative", "relative は\rドライブから始まる完全なパスではないので　復元先にできません！"},
        {m_program, m_program + " は\rつむぎ君のプログラムフォルダであるので　復元先にできません！"},
        {m_temp.path(),
         m_temp.path() + " は\rバックアップを保存しているフォルダを含んでいるので　復元先にできません！"},
        {core::monthBackFolder(m_program), ""},
        {core::monthSlotPath(m_program, 5), ""},
        {path("prog/DayBack/hback03/sub"), ""},
        {path("prog/DayBack/new"), ""},
        {path("data/with\"quote"), ""},
        {path("prog/MonthBack/mback05/keep.txt"), ""},
    };
    if (aliased)
        refused.push_back(
            {path("alias"), path("alias") + " は\rつむぎ君のプログラムフォルダであるので　復元先にできません！"});
    for (const auto& [target, expected] : refused) {
        m_fakes.dialogs.clear();
        EXPECT_EQ(restore(target), RestoreOutcome::Refused) << target;
        ASSERT_EQ(m_fakes.dialogs.messages().size(), 1u) << target;
        const std::string text = m_fakes.dialogs.messages()[0].text;
        if (!expected.empty())
            EXPECT_EQ(text, expected);
        else
            EXPECT_EQ(text.rfind(target + " は\r", 0), 0u) << text;
    }
    EXPECT_TRUE(m_fakes.archiver.commands().empty());
    auto after = treeOf(m_temp.path());
    after.erase("prog/setup.def");
    EXPECT_EQ(after, before);
}

// Every folder above the program folder holds the backups, not only its parent.
TEST_F(RestoreArchiveTest, RefusesEveryFolderThatHoldsTheProgramFolder)
{
    m_state.programFolder = path("outer/inner/prog");
    put("outer/inner/prog/DayBack/hback01/BackUp.lzh", "keep");
    ASSERT_TRUE(core::createBackupTree(m_state.programFolder).ok());
    for (const std::string& holder : {path("outer/inner"), path("outer")}) {
        m_fakes.dialogs.clear();
        EXPECT_EQ(restore(holder), RestoreOutcome::Refused) << holder;
        EXPECT_EQ(m_fakes.dialogs.messages().at(0).text,
                  holder + " は\rバックアップを保存しているフォルダを含んでいるので　復元先にできません！");
    }
    EXPECT_TRUE(m_fakes.archiver.commands().empty());
    EXPECT_EQ(readFile(path("outer/inner/prog/DayBack/hback01/BackUp.lzh")), "keep");
}

TEST_F(RestoreArchiveTest, AnUnreadableTargetLosesNothing)
{
#ifdef _WIN32
    GTEST_SKIP() << "a folder's read-only attribute does not stop listing it";
#endif
    if (runningAsSuperUser())
        GTEST_SKIP() << "permissions do not bind the super-user";
    put("data/sub/file.txt", "kept");
    std::filesystem::permissions(platform::toPath(m_protected), std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::remove);

    EXPECT_EQ(restore(m_protected), RestoreOutcome::FolderUnusable);

    std::filesystem::permissions(platform::toPath(m_protected), std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add);
    EXPECT_EQ(readFile(path("data/sub/file.txt")), "kept");
    EXPECT_EQ(m_fakes.archiver.commands().size(), 1u);
}

} // namespace
} // namespace fernhold::test
