// Restoring a slot over the protected folder and copying one into another folder: the guard on the
// target, the test before anything is cleared, and the questions before a folder is emptied.

#include "core/restore/copy_to_folder.h"
#include "core/restore/reload_actions.h"
#include "core/restore/restore_archive.h"
#include "core/restore/target_guard.h"
#include "restore_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#ifndef _WIN32
#include <unistd.h>
#endif

namespace fernhold::test {
namespace {
namespace fs = std::filesystem;

using core::restore::CopyOutcome;
using core::restore::RestoreOutcome;
using core::restore::TargetRefusal;

const std::string kRestoreTitle = "つむぎ君：　復元する";
const std::string kCopyTitle = "つむぎ君：　保存ファイルのコピー";
const std::string kNoBackup = "指定された場所には　バックアップされた情報がありません！";

class RestoreTest : public RestoreFixture {
protected:
    RestoreTest()
    {
        put("prog/MonthBack/mback05/BackUp.lzh", "archive bytes");
        put("prog/DayBack/hback09/BackUp.lzh"); // copied by the copy tests
    }

    RestoreOutcome restore(const std::string& target)
    {
        return core::restore::RestoreArchive(m_state, m_fakes.services, m_archive, target, 1);
    }
    CopyOutcome copy(int daySlot = 9)
    {
        return core::restore::copySlotToFolder(m_state, m_fakes.services, core::daySlotPath(m_program, daySlot));
    }
    bool restoreSelected(int daySlot)
    {
        core::restore::ReloadModel model(m_program, 1, m_state.setup, m_fakes.locale);
        model.activate();
        model.entryClicked(daySlot);
        return core::restore::restoreSelectedSlot(m_state, m_fakes.services, model);
    }
    std::string extractLine(const std::string& archive, const std::string& folder) const
    {
        return "x -d1 -y1 \"" + archive + "\" \"" + folder + platform::kSeparator + "\"";
    }

    std::string m_archive = core::archivePathInSlot(core::monthSlotPath(m_program, 5));
};

TEST_F(RestoreTest, TheGuardRefusesEveryFolderWhoseClearingWouldDoHarm)
{
    put("prog/DayBack/hback03/sub/keep.txt");
    put("data/file.txt");
    const std::string root(1, platform::kSeparator);
    const std::string aboveTemp = platform::fromPath(platform::toPath(m_temp.path()).parent_path());
    std::vector<std::pair<std::string, TargetRefusal>> cases = {
        {"", TargetRefusal::Empty},
        {"C:", TargetRefusal::DriveDesignator},
        {root, TargetRefusal::FileSystemRoot},
        {"relative", TargetRefusal::NotAbsolute},
        {path("data/with\"quote"), TargetRefusal::UnquotableName},
        {m_program, TargetRefusal::ProgramFolder},
        {m_temp.path(), TargetRefusal::ContainsProgramFolder},
        {aboveTemp, TargetRefusal::ContainsProgramFolder}, // every folder above, not only the parent
        {core::monthBackFolder(m_program), TargetRefusal::InsideSlotTree},
        {path("prog/DayBack/hback03/sub"), TargetRefusal::InsideSlotTree},
        {path("prog/DayBack/new"), TargetRefusal::InsideSlotTree},
        {path("data/file.txt"), TargetRefusal::NotAFolder},
        {m_protected, TargetRefusal::None},
        {path("data/new"), TargetRefusal::None},
    };
    if (link(m_program, "alias")) // another spelling of the program folder
        cases.push_back({path("alias"), TargetRefusal::ProgramFolder});
    for (const auto& [target, refusal] : cases)
        EXPECT_EQ(core::restore::checkTarget(target, m_program), refusal) << target;
}

TEST_F(RestoreTest, PaintsTheTitleThenTestsThenClearsThenExtracts)
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

    EXPECT_EQ(m_fakes.archiver.commands(),
              (std::vector{commandOf("t \"" + m_archive + "\""), commandOf(extractLine(m_archive, m_protected))}));
    ASSERT_EQ(targetDuringCalls.size(), 2u);
    EXPECT_EQ(targetDuringCalls[0].count("old.txt"), 1u) << "nothing may go before the test has passed";
    EXPECT_TRUE(targetDuringCalls[1].empty());
    EXPECT_EQ(busyDuringCalls, (std::vector<bool>{true, true}));
    EXPECT_FALSE(m_state.archiveBusy);
}

// A missing archive stops before the archiver; one failing its test, or too large for the volume (a
// pebibyte outgrows any disk), stops after the test alone; a refused target before either. The
// target stays exactly as it was.
TEST_F(RestoreTest, ARejectedArchiveOrTargetLeavesEverythingAsItWas)
{
    struct Case {
        const char* what;
        std::string archive;
        std::string target;
        core::archive::ArchiveResult result;
        RestoreOutcome outcome;
        std::size_t commands;
        std::string message;
    };
    core::archive::ArchiveResult huge;
    huge.bytesNeeded = std::uint64_t{1} << 50;
    const std::string missing = core::archivePathInSlot(core::monthSlotPath(m_program, 6));
    const std::string kept = "\r\r復元を中止しました。　" + m_protected + " は変更していません。";
    const std::vector<Case> cases = {
        {"missing",
         missing,
         m_protected,
         {},
         RestoreOutcome::ArchiveRejected,
         0,
         missing + " が見つからないか、読み取れません。" + kept},
        {"corrupt", m_archive, m_protected, archiveFailure(base::ErrorCode::Corrupt, "header checksum mismatch"),
         RestoreOutcome::ArchiveRejected, 1,
         m_archive + " は壊れています。\r（error: header checksum mismatch）" + kept},
        {"too large", m_archive, m_protected, huge, RestoreOutcome::NotEnoughSpace, 1,
         m_archive + " を \r" + m_protected +
             " に復元できませんでした！\r\rドライブの空きが足りません。\r（必要 1073741824.0 MB、"},
        {"no target", m_archive, "", {}, RestoreOutcome::Refused, 0, "復元先のフォルダが指定されていません！"},
        {"program folder",
         m_archive,
         m_program,
         {},
         RestoreOutcome::Refused,
         0,
         m_program + " は\rつむぎ君のプログラムフォルダであるので　復元先にできません！"},
    };
    put("data/a.txt", "A");
    put("data/sub/b.txt", "B");
    const auto before = treeOf(m_temp.path());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m_fakes.dialogs.clear();
        m_fakes.archiver = {};
        m_fakes.archiver.setResult(c.result);
        m_archive = c.archive;

        EXPECT_EQ(restore(c.target), c.outcome);

        auto after = treeOf(m_temp.path());
        EXPECT_EQ(after.erase("prog/setup.def"), 1u) << "the stamps in memory are saved after any restore";
        EXPECT_EQ(after, before);
        EXPECT_EQ(m_fakes.archiver.commands().size(), c.commands);
        ASSERT_EQ(m_fakes.dialogs.messages().size(), 1u);
        EXPECT_EQ(m_fakes.dialogs.messages()[0].title, kRestoreTitle);
        EXPECT_EQ(m_fakes.dialogs.messages()[0].text.rfind(c.message, 0), 0u) << m_fakes.dialogs.messages()[0].text;
    }
}

TEST_F(RestoreTest, AnUnreadableTargetLosesNothing)
{
#ifdef _WIN32
    GTEST_SKIP() << "a folder's read-only attribute does not stop listing it";
#else
    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind the super-user";
#endif
    put("data/sub/file.txt", "kept");
    fs::permissions(platform::toPath(m_protected), fs::perms::owner_all, fs::perm_options::remove);

    EXPECT_EQ(restore(m_protected), RestoreOutcome::FolderUnusable);

    fs::permissions(platform::toPath(m_protected), fs::perms::owner_all, fs::perm_options::add);
    EXPECT_EQ(readFile(path("data/sub/file.txt")), "kept");
    EXPECT_EQ(m_fakes.archiver.commands().size(), 1u);
}

// A slot without BackUp.lzh is told before anything is asked; Yes restores one over the protected
// folder, less its trailing separator.
TEST_F(RestoreTest, YesRestoresTheSelectedSlotAndASlotWithoutAnArchiveIsToldFirst)
{
    put("prog/DayBack/hback03/other.txt");
    EXPECT_FALSE(restoreSelected(3));
    EXPECT_EQ(copy(10), CopyOutcome::NoBackupInSlot);
    ASSERT_EQ(m_fakes.dialogs.shown().size(), 2u);
    for (const ScriptedDialogs::Shown& shown : m_fakes.dialogs.shown()) {
        EXPECT_EQ(shown.kind, ScriptedDialogs::Kind::Message);
        EXPECT_EQ(shown.title, kRestoreTitle);
        EXPECT_EQ(shown.text, kNoBackup);
    }
    EXPECT_TRUE(m_fakes.archiver.commands().empty());

    put("prog/DayBack/hback07/BackUp.lzh");
    m_state.setup.BackupFolder = m_protected + platform::kSeparator;
    m_fakes.dialogs.answerYes();
    EXPECT_TRUE(restoreSelected(7));
    const std::string archive = core::archivePathInSlot(core::daySlotPath(m_program, 7));
    ASSERT_EQ(m_fakes.archiver.commands().size(), 2u);
    EXPECT_EQ(m_fakes.archiver.commands()[1], commandOf(extractLine(archive, m_protected)));
    EXPECT_EQ(m_fakes.dialogs.messages().back().text, archive + " を \r" + m_protected + " に復元しました");
}

// A scheduled backup may write the slot while the question is open: the new stamp, an archive
// rewritten in place, or another archive of the same size and time renamed over it. None of
// them is what Yes was given to, so nothing is restored and the window stays open.
TEST_F(RestoreTest, ASlotWrittenWhileTheQuestionIsOpenIsNotRestored)
{
    const std::string archive = core::archivePathInSlot(core::daySlotPath(m_program, 3));
    const std::vector<std::pair<const char*, std::function<void()>>> meanwhile = {
        {"stamp",
         [&] {
             m_state.setup.DayBackDate[3] = core::DateTime::fromCivil({2026, 12, 7, 15, 0, 0});
         }},
        {"rewritten", [&] { put("prog/DayBack/hback03/BackUp.lzh", "a longer, newer archive"); }},
        {"renamed over",
         [&] {
             const auto time = fs::last_write_time(platform::toPath(archive));
             put("prog/DayBack/hback03/new.lzh", "old");
             fs::last_write_time(platform::toPath(path("prog/DayBack/hback03/new.lzh")), time);
             fs::rename(platform::toPath(path("prog/DayBack/hback03/new.lzh")), platform::toPath(archive));
         }},
    };
    for (const auto& [what, change] : meanwhile) {
        SCOPED_TRACE(what);
        put("prog/DayBack/hback03/BackUp.lzh", "old");
        m_state.setup.DayBackDate[3] = core::DateTime::fromCivil({2026, 12, 6, 14, 0, 0});
        m_fakes.dialogs.clear();
        m_fakes.dialogs.setOnQuestion(change);
        m_fakes.dialogs.answerYes();

        EXPECT_FALSE(restoreSelected(3));

        EXPECT_TRUE(m_fakes.archiver.commands().empty());
        ASSERT_EQ(m_fakes.dialogs.messages().size(), 1u);
        EXPECT_EQ(m_fakes.dialogs.messages()[0].text,
                  "時刻 = 2026/12/06 14:00:00  の　バックアップは　確認の間に　新しいバックアップで置き換えられま"
                  "した。\r\r復元を中止しました。　" +
                      m_protected + " は変更していません。\r\rもう一度　復元するデータを選んでください。");
    }
}

// The chooser opens in TmpRead, made again if gone, and a cancel stops silently; TmpRead itself is
// cleared without a question.
TEST_F(RestoreTest, ACopyIntoTmpReadClearsItWithoutAskingAndReportsTheSlot)
{
    fs::remove_all(platform::toPath(core::tmpReadFolder(m_program)));
    EXPECT_EQ(copy(), CopyOutcome::Cancelled);
    ASSERT_EQ(m_fakes.dialogs.shown().size(), 1u);
    const ScriptedDialogs::Shown& chooser = m_fakes.dialogs.shown()[0];
    EXPECT_EQ(chooser.kind, ScriptedDialogs::Kind::FolderChoice);
    EXPECT_EQ(chooser.title, "つむぎ君：　　コピー先フォルダを指定する");
    EXPECT_EQ(chooser.text, "コピー先のフォルダをクリックします");
    EXPECT_EQ(chooser.startFolder, core::tmpReadFolder(m_program));
    EXPECT_TRUE(isFolder(core::tmpReadFolder(m_program)));
    EXPECT_FALSE(core::restore::closesWindow(CopyOutcome::Cancelled));

    put("prog/TmpRead/old/file.txt");
    m_fakes.dialogs.chooseFolderAnswer(core::tmpReadFolder(m_program));

    EXPECT_EQ(copy(), CopyOutcome::Copied);

    EXPECT_TRUE(m_fakes.dialogs.questions().empty());
    EXPECT_TRUE(listFolder(core::tmpReadFolder(m_program)).empty());
    const std::string slot = core::daySlotPath(m_program, 9);
    const std::string archive = core::archivePathInSlot(slot);
    EXPECT_EQ(m_fakes.archiver.commands(),
              (std::vector{commandOf("t \"" + archive + "\""),
                           commandOf(extractLine(archive, core::tmpReadFolder(m_program)))}));
    EXPECT_EQ(m_fakes.dialogs.messages().back().title, kCopyTitle);
    EXPECT_EQ(m_fakes.dialogs.messages().back().text,
              slot + " を \r" + core::tmpReadFolder(m_program) + " に読込みました");
    EXPECT_TRUE(core::restore::closesWindow(CopyOutcome::Copied));
}

// TmpRead is the protected folder by default: where the copy's quiet clearing would meet the
// protected folder, and into any other folder with contents, the question comes first and No keeps
// every file.
TEST_F(RestoreTest, ACopyClearsTheProtectedFolderOrAnotherOneOnlyAfterTheQuestion)
{
    put("prog/TmpRead/sub/mine.txt", "mine");
    put("work/mine.txt", "mine");
    const std::string tmpRead = core::tmpReadFolder(m_program);
    const std::string sub = path("prog/TmpRead/sub");
    const std::vector<std::pair<std::string, std::string>> cases = {
        {tmpRead, tmpRead},                        // the default setting
        {tmpRead + platform::kSeparator, tmpRead}, // as the folder picker stores it
        {sub, tmpRead},                            // the destination holds the protected folder
        {tmpRead, sub},                            // the destination lies inside it
        {m_protected, path("work")},               // elsewhere
    };
    for (const auto& [protectedFolder, destination] : cases) {
        SCOPED_TRACE(protectedFolder + " <- " + destination);
        m_state.setup.BackupFolder = protectedFolder;
        m_fakes.dialogs.clear();
        m_fakes.dialogs.chooseFolderAnswer(destination);
        m_fakes.dialogs.answerNo();

        EXPECT_EQ(copy(), CopyOutcome::Cancelled);

        ASSERT_EQ(m_fakes.dialogs.questions().size(), 1u);
        EXPECT_EQ(m_fakes.dialogs.questions()[0].text,
                  destination + " の中身は　すべて削除されます。\r\r削除してから　バックアップをコピーします。\r\r"
                                "それでも　実行しますか？");
        EXPECT_EQ(readFile(path("prog/TmpRead/sub/mine.txt")), "mine");
        EXPECT_EQ(readFile(path("work/mine.txt")), "mine");
    }
    EXPECT_TRUE(m_fakes.archiver.commands().empty());

    m_fakes.dialogs.chooseFolderAnswer(path("work"));
    m_fakes.dialogs.answerYes();
    EXPECT_EQ(copy(), CopyOutcome::Copied);
    EXPECT_TRUE(listFolder(path("work")).empty());
}

TEST_F(RestoreTest, ACopyRefusesTheGuardedFoldersAndTouchesNothing)
{
    const std::string slot = core::monthSlotPath(m_program, 2);
    const auto before = treeOf(m_temp.path());
    m_fakes.dialogs.chooseFolderAnswer(slot);

    EXPECT_EQ(copy(), CopyOutcome::Refused);

    ASSERT_EQ(m_fakes.dialogs.messages().size(), 1u);
    EXPECT_EQ(m_fakes.dialogs.messages()[0].title, kCopyTitle);
    EXPECT_EQ(m_fakes.dialogs.messages()[0].text,
              slot + " は\rバックアップの保存場所の中にあるので　コピー先にできません！");
    EXPECT_TRUE(m_fakes.archiver.commands().empty());
    EXPECT_EQ(treeOf(m_temp.path()), before);
}

TEST_F(RestoreTest, AFailedCopyIsNotReportedAsRead)
{
    // The test passes; the extraction refuses one member.
    m_fakes.archiver.setOnRun([&](const core::archive::UnlhaCommand& command) {
        core::archive::ArchiveResult result;
        if (command.command == 'x')
            result.memberFailures.push_back(
                base::Status::error(base::ErrorCode::Unsupported, "refused name", "../evil.txt"));
        m_fakes.archiver.setResult(result);
    });
    m_fakes.dialogs.chooseFolderAnswer(core::tmpReadFolder(m_program));

    EXPECT_EQ(copy(), CopyOutcome::ExtractionFailed);

    EXPECT_EQ(m_fakes.dialogs.messages().back().text,
              core::daySlotPath(m_program, 9) + " を \r" + core::tmpReadFolder(m_program) +
                  " に読込めませんでした！\r\r一部のファイルを取り出せませんでした。\r（error (1 failed, first: "
                  "../evil.txt: refused name)）");
    EXPECT_TRUE(core::restore::closesWindow(CopyOutcome::ExtractionFailed));
}

} // namespace
} // namespace fernhold::test
